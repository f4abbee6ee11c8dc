#include "common/FilterExpression.h"

#include <cstdint>

namespace vantrel {
namespace {

enum class Tok { End, Name, Number, String, Op, LParen, RParen, And, Or, Not };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    std::size_t pos = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

Error SyntaxError(const std::string& what, std::size_t pos) {
    return Error{"filter: " + what + " at position " + std::to_string(pos + 1)};
}

std::string Shown(const Token& t) {
    switch (t.kind) {
    case Tok::End: return "end of expression";
    case Tok::String: return "string '" + t.text + "'";
    default: return "'" + t.text + "'";
    }
}

Result<std::vector<Token>> Tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
        Token t;
        t.pos = i;
        if (i == s.size()) {
            tokens.push_back(t);
            return tokens;
        }
        char c = s[i];
        if (c == '(' || c == ')') {
            t.kind = c == '(' ? Tok::LParen : Tok::RParen;
            t.text = std::string(1, c);
            ++i;
        } else if (c == '=' || c == '<' || c == '>') {
            t.kind = Tok::Op;
            std::size_t len = 1;
            if (c == '<' && i + 1 < s.size() && (s[i + 1] == '>' || s[i + 1] == '=')) len = 2;
            if (c == '>' && i + 1 < s.size() && s[i + 1] == '=') len = 2;
            t.text = std::string(s.substr(i, len));
            i += len;
        } else if (c == '\'' || c == '"') {
            t.kind = Tok::String;
            ++i;
            bool closed = false;
            while (i < s.size()) {
                if (s[i] == c) {
                    if (i + 1 < s.size() && s[i + 1] == c) {
                        t.text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                t.text += s[i++];
            }
            if (!closed) return SyntaxError("unterminated string", t.pos);
        } else if (c == '[') {
            auto close = s.find(']', i + 1);
            if (close == std::string_view::npos) return SyntaxError("unterminated [field name]", i);
            t.kind = Tok::Name;
            t.text = std::string(s.substr(i + 1, close - i - 1));
            if (t.text.empty()) return SyntaxError("empty [field name]", i);
            i = close + 1;
        } else if (IsDigit(c) || c == '.' || c == '+' || c == '-') {
            std::size_t j = i;
            if (c == '+' || c == '-') ++j;
            while (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) ++j;
            t.kind = Tok::Number;
            t.text = std::string(s.substr(i, j - i));
            if (!ReadDecimal(t.text) || (j < s.size() && IsNameChar(s[j])))
                return SyntaxError("malformed number", i);
            i = j;
        } else if (IsNameStart(c)) {
            std::size_t j = i;
            while (j < s.size() && IsNameChar(s[j])) ++j;
            t.text = std::string(s.substr(i, j - i));
            t.kind = EqualsNoCase(t.text, "AND")   ? Tok::And
                     : EqualsNoCase(t.text, "OR")  ? Tok::Or
                     : EqualsNoCase(t.text, "NOT") ? Tok::Not
                                                   : Tok::Name;
            i = j;
        } else {
            std::string shown = "unexpected ";
            if (static_cast<unsigned char>(c) < 0x20)
                shown.append("control character ").append(std::to_string(static_cast<int>(c)));
            else
                shown.append(1, '\'').append(1, c).append(1, '\'');
            return SyntaxError(shown, i);
        }
        tokens.push_back(std::move(t));
    }
}

}  // namespace

// Recursive descent over the token list; depth counts open parentheses and
// NOTs, and AND/OR chains become one node each so that long chains stay flat.
class FilterParser {
public:
    FilterParser(std::vector<Token> tokens, FilterExpression& out)
        : tokens_(std::move(tokens)), out_(out) {}

    Status run() {
        auto root = parseChain(Tok::Or, 0);
        if (!root) return Error{root.error()};
        if (peek().kind != Tok::End) return SyntaxError("unexpected " + Shown(peek()), peek().pos);
        out_.root_ = *root;
        return {};
    }

private:
    using Kind = FilterExpression::Kind;
    using Op = FilterExpression::Op;

    const Token& peek() const { return tokens_[next_]; }
    const Token& take() { return tokens_[next_ < tokens_.size() - 1 ? next_++ : next_]; }

    int add(FilterExpression::Node node) {
        out_.nodes_.push_back(std::move(node));
        return static_cast<int>(out_.nodes_.size() - 1);
    }

    // keyword Or: term { OR term }; keyword And: factor { AND factor }.
    Result<int> parseChain(Tok keyword, int depth) {
        std::vector<int> parts;
        do {
            auto part = keyword == Tok::Or ? parseChain(Tok::And, depth) : parseFactor(depth);
            if (!part) return part;
            parts.push_back(*part);
        } while (peek().kind == keyword && (take(), true));
        if (parts.size() == 1) return parts.front();
        FilterExpression::Node node;
        node.kind = keyword == Tok::Or ? Kind::Or : Kind::And;
        node.children = std::move(parts);
        return add(std::move(node));
    }

    Result<int> parseFactor(int depth) {
        const Token& t = peek();
        if (t.kind == Tok::Not || t.kind == Tok::LParen) {
            if (depth >= FilterExpression::kMaxDepth)
                return SyntaxError("expression nested too deeply", t.pos);
            take();
            if (t.kind == Tok::Not) {
                auto inner = parseFactor(depth + 1);
                if (!inner) return inner;
                FilterExpression::Node node;
                node.kind = Kind::Not;
                node.children = {*inner};
                return add(std::move(node));
            }
            auto inner = parseChain(Tok::Or, depth + 1);
            if (!inner) return inner;
            if (peek().kind != Tok::RParen)
                return SyntaxError("expected ')' but found " + Shown(peek()), peek().pos);
            take();
            return inner;
        }
        return parseComparison();
    }

    Result<FilterExpression::Operand> parseOperand() {
        const Token& t = take();
        FilterExpression::Operand operand;
        switch (t.kind) {
        case Tok::Name:
            operand.isField = true;
            operand.text = t.text;
            return operand;
        case Tok::Number:
        case Tok::String:
            operand.text = t.text;
            operand.number = ReadDecimal(t.text);
            return operand;
        default:
            return SyntaxError("expected a field name or a value but found " + Shown(t), t.pos);
        }
    }

    Result<int> parseComparison() {
        auto left = parseOperand();
        if (!left) return Error{left.error()};
        const Token& opToken = take();
        if (opToken.kind != Tok::Op)
            return SyntaxError("expected a comparison but found " + Shown(opToken), opToken.pos);
        auto right = parseOperand();
        if (!right) return Error{right.error()};
        FilterExpression::Node node;
        node.kind = Kind::Compare;
        const std::string& op = opToken.text;
        node.op = op == "=" ? Op::Equal : op == "<>" ? Op::NotEqual : op == "<" ? Op::Less
                : op == ">" ? Op::Greater : op == "<=" ? Op::LessEqual : Op::GreaterEqual;
        node.left = std::move(left).value();
        node.right = std::move(right).value();
        return add(std::move(node));
    }

    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    FilterExpression& out_;
};

Result<FilterExpression> FilterExpression::Parse(std::string_view text) {
    auto tokens = Tokenize(text);
    if (!tokens) return Error{tokens.error()};
    if (tokens->size() == 1) return Error{"filter: the expression is empty"};
    FilterExpression expression;
    expression.text_ = std::string(text);
    FilterParser parser(std::move(tokens).value(), expression);
    if (Status parsed = parser.run(); !parsed) return Error{parsed.error()};
    return expression;
}

Status FilterExpression::bind(const std::vector<FieldDef>& fields) {
    std::vector<int> columns;
    for (const Node& node : nodes_) {
        if (node.kind != Kind::Compare) continue;
        for (const Operand* operand : {&node.left, &node.right}) {
            if (!operand->isField) continue;
            int found = -1;
            for (std::size_t i = 0; i < fields.size() && found < 0; ++i)
                if (EqualsNoCase(fields[i].name, operand->text)) found = static_cast<int>(i);
            if (found < 0) return Error{"filter: unknown field \"" + operand->text + "\""};
            columns.push_back(found);
        }
    }
    // Only a fully resolved expression changes.
    std::size_t next = 0;
    for (Node& node : nodes_) {
        if (node.kind != Kind::Compare) continue;
        for (Operand* operand : {&node.left, &node.right})
            if (operand->isField) operand->column = columns[next++];
    }
    return {};
}

std::vector<std::string> FilterExpression::fieldNames() const {
    std::vector<std::string> names;
    for (const Node& node : nodes_) {
        if (node.kind != Kind::Compare) continue;
        if (node.left.isField) names.push_back(node.left.text);
        if (node.right.isField) names.push_back(node.right.text);
    }
    return names;
}

bool FilterExpression::matches(std::span<const FieldValue> row) const {
    return root_ < 0 || evaluate(root_, row);
}

bool FilterExpression::evaluate(int index, std::span<const FieldValue> row) const {
    const Node& node = nodes_[static_cast<std::size_t>(index)];
    switch (node.kind) {
    case Kind::And:
        for (int child : node.children)
            if (!evaluate(child, row)) return false;
        return true;
    case Kind::Or:
        for (int child : node.children)
            if (evaluate(child, row)) return true;
        return false;
    case Kind::Not:
        return !evaluate(node.children.front(), row);
    case Kind::Compare:
        return Compare(node.op, node.left, node.right, row);
    }
    return false;
}

namespace {

// One side of a comparison, read from a cell or a literal.
struct Side {
    const FieldValue* cell = nullptr;
    const std::string* literal = nullptr;
    std::optional<double> number;
    std::string formatted;  // text of a non-text cell, made only when needed

    std::string_view text() {
        if (literal) return *literal;
        if (!cell) return {};
        if (auto* s = std::get_if<std::string>(&cell->storage())) return *s;
        if (formatted.empty()) formatted = cell->toText();
        return formatted;
    }
};

}  // namespace

bool FilterExpression::Compare(Op op, const Operand& left, const Operand& right,
                               std::span<const FieldValue> row) {
    auto read = [&](const Operand& operand) {
        Side side;
        if (!operand.isField) {
            side.literal = &operand.text;
            side.number = operand.number;
            return side;
        }
        if (operand.column < 0 || static_cast<std::size_t>(operand.column) >= row.size()) return side;
        side.cell = &row[static_cast<std::size_t>(operand.column)];
        if (auto* s = std::get_if<std::string>(&side.cell->storage()))
            side.number = ReadDecimal(*s);
        else
            side.number = side.cell->toNumber();
        return side;
    };
    Side a = read(left), b = read(right);
    int order;
    if (a.number && b.number)
        order = *a.number < *b.number ? -1 : (*b.number < *a.number ? 1 : 0);
    else
        order = CompareNoCase(a.text(), b.text());
    switch (op) {
    case Op::Equal: return order == 0;
    case Op::NotEqual: return order != 0;
    case Op::Less: return order < 0;
    case Op::Greater: return order > 0;
    case Op::LessEqual: return order <= 0;
    case Op::GreaterEqual: return order >= 0;
    }
    return false;
}

}  // namespace vantrel
