#pragma once
// Row filter of an in-memory table, parsed once and evaluated per row.
//
//   expr    := term { OR term }          term := factor { AND factor }
//   factor  := NOT factor | '(' expr ')' | operand op operand
//   op      := = <> < > <= >=            keywords in any case
//   operand := field name | [field name] | number | 'text' | "text"
//
// Numbers are decimal with an optional sign; a quote inside a string is
// written twice. Two sides compare as numbers when both read as numbers (a
// text cell "999" against 999), otherwise as text ignoring ASCII case. A null
// cell reads as "" and is no number.
#include "common/FieldValue.h"
#include "common/Result.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class FilterExpression {
public:
    // Parentheses and NOT nest at most this deep, so hostile input cannot
    // exhaust the stack while parsing or evaluating.
    static constexpr int kMaxDepth = 200;

    static Result<FilterExpression> Parse(std::string_view text);

    // Resolves field names against `fields` (ignoring case); the error names
    // the first unknown field. Until bound every field reads as null.
    Status bind(const std::vector<FieldDef>& fields);

    bool matches(std::span<const FieldValue> row) const;

    const std::string& text() const { return text_; }
    // Field names in order of appearance, as written.
    std::vector<std::string> fieldNames() const;

private:
    enum class Kind { And, Or, Not, Compare };
    enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

    struct Operand {
        bool isField = false;
        std::string text;               // literal text, or the field name
        std::optional<double> number;   // literal read as a number
        int column = -1;
    };

    struct Node {
        Kind kind = Kind::Compare;
        std::vector<int> children;      // And/Or: two or more; Not: one
        Op op = Op::Equal;
        Operand left, right;
    };

    friend class FilterParser;

    bool evaluate(int node, std::span<const FieldValue> row) const;
    static bool Compare(Op op, const Operand& left, const Operand& right,
                        std::span<const FieldValue> row);

    std::string text_;
    std::vector<Node> nodes_;
    int root_ = -1;
};

}  // namespace vantrel
