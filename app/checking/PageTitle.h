#pragma once
#include <QString>

// The page title of a reply, as one plain line fit to become a favorite's name.

// The text between the first <TITLE> and the first </TITLE> after it (markers in any letter
// case, looked for once the body is out of its chunks), decoded in the page's charset, without
// line breaks, tabs or other control characters, with &amp; &quot; &copy; &reg; decoded and
// the trademark sign dropped (in that order, each matching letter case exactly), spaces
// trimmed at both ends, and then the numeric references decoded. Empty when either marker is
// missing.
QString ExtractTitle(const QString& reply);

// Decodes the numeric references "&#" + number + ";" of a title, from the first one on; the
// number is decimal, or hexadecimal after an "x" or "X" (&#x41; is &#65;).
// One below 256 becomes the code page's character for that byte (rounded, halves to even);
// one of 256 or more is removed, and so is every other copy of it written digit for digit.
// A character produced this way may complete a reference with the text beside it, which is
// then decoded too. A reference to a control character is removed. Text that is not such a
// reference (&#x; &#xG; &#; &#-5; &#255.5; or "&#" with no ";" after it) stays as written.
QString DecodeNumericReferences(const QString& title);
