#pragma once
// Password edits of every window show one "*" per character, not the
// style's own mask character (a bullet on most desktops).
class QLineEdit;

namespace vantrel {

// Sets password echo with "*" as the mask character.
void ShowAsStars(QLineEdit* edit);

}  // namespace vantrel
