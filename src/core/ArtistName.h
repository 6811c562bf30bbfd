#pragma once

#include <QString>

#include <optional>

namespace arvelo {

// The only characters the name rules treat specially: a plain space and a plain hyphen.
inline constexpr QChar Blank = u' ';
inline constexpr QChar Separator = u'-';

// How artist keys are formed; mirrors the "Overlook spaces" and "Convert to Upercase" boxes.
struct KeyOptions
{
    bool overlookSpaces = true;
    bool convertToUppercase = true;
};

// Case mapping one character to one character, so names never change length ("ß" stays "ß").
QString upperEach(const QString &text);
QString lowerEach(const QString &text);

// Trailing blanks never count: not in a key, and not in a folder name, which Linux would
// otherwise keep as a second folder beside the one without them.
QString withoutTrailingBlanks(const QString &text);

// The text before the first "-", or the whole name; blanks and case untouched.
QString artistPart(const QString &name);

// The second "-"-separated piece without its leading blanks; nothing for a name without "-".
std::optional<QString> titlePart(const QString &name);

// The form in which the scan compares artists.
QString artistKey(const QString &name, KeyOptions options);

} // namespace arvelo
