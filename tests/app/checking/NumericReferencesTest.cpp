#include "app/checking/PageTitle.h"
#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>
#include <utility>

TEST(NumericReferences, DecodeAsTheTableSays)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        // Below 256: the code page's character.
        {u"&#0065;", u"A"},
        {u"&#+65;", u"A"},
        {u"&# 65 ;", u"A"},
        {u"a&#150;b", u"a\u2013b"},
        {u"a&#160;b", u"a\u00A0b"},
        {u"&#128;", u"\u20AC"},
        {u"&#255;", u"\u00FF"},
        // Rounded to an integer with halves going to the even neighbour.
        {u"&#65.5;", u"B"},
        {u"&#66.5;", u"B"},
        {u"&#65.4;", u"A"},
        // Hexadecimal after an "x" in either letter case.
        {u"&#x41;&#X6a;", u"Aj"},
        {u"&#x0000000041;", u"A"},
        {u"&#x96;", u"\u2013"},
        // 256 and above: removed, every copy of it.
        {u"&#300;x&#300;", u"x"},
        {u"&#256;", u""},
        {u"&#1e999;", u""},
        {u"&#x2019;a&#x2019;&#xFFFFFFFFFFFFFFFFFFFF;", u"a"},
        // A copy is removed before the text around it is read, so the pieces it separated join;
        // a copy is the same text, however the number is written.
        {u"&#300;&#6&#300;5;", u"A"},
        {u"&#65;&#+300;-&#-1;&#&#+300;5;-.", u"A-&#-1;-."},
        {u"&# 3e2 ;&#3005.0e-1;&#x12C;&#X12D;&#&# 3e2 ;65;&#&#3005.0e-1;66;&#&#x12C;67;&#&#X12D;68;", u"ABCD"},
        // A character produced may complete a reference with the text beside it.
        {u"&#38;#65;", u"A"},    // "&" followed by "#65;"
        {u"x&&#35;66;", u"xB"},  // "&" before, "#" produced, text before that "&" kept
        {u"&&#300;#67;", u"C"},  // the removal joins "&" and "#67;"
        {u"&#38;&#35;68;", u"D"}, {u"&#59;", u";"},
        // References to control characters are removed.
        {u"a&#10;b", u"ab"}, {u"a&#x0D;&#xA;b", u"ab"}, {u"&#9;x", u"x"}, {u"&#0;", u""},
        {u"&#-0.4;", u""},   {u"&#127;", u""},         {u"&#129;", u""}, {u"&#157;", u""},
        // Text that is no reference stays as written.
        {u"&#x;", u"&#x;"},
        {u"&#x4G;", u"&#x4G;"},
        {u"&#x-41;", u"&#x-41;"},
        {u"&# x41;", u"&# x41;"},
        {u"&#;", u"&#;"},
        {u"&#-5;", u"&#-5;"},
        {u"&#255.5;", u"&#255.5;"},
        {u"&#-1e999;", u"&#-1e999;"},
        {u"a&#65", u"a&#65"},
        {u"&#", u"&#"},
        {u"&", u"&"},
        {u"&#65 &#66;", u"&#65 B"},
        {u"AT&#T; &#65;", u"AT&#T; A"},
        {u"&#&#&#65;", u"&#&#A"},
        {u"&#x4G;&#66;&#", u"&#x4G;B&#"},
        {u"&#12 &#300;", u"&#12 "},
    };
    for (const auto& [title, decoded] : cases) {
        const QString text = QString::fromUtf16(title);
        EXPECT_EQ(DecodeNumericReferences(text), QString::fromUtf16(decoded)) << text.toStdString();
    }
}

// Each of these would take minutes if a step cost the length of the title.
TEST(NumericReferences, LongTitlesDecodeInOnePass)
{
    const int count = 200000;
    EXPECT_EQ(DecodeNumericReferences(QStringLiteral("&#65;").repeated(count)), QStringLiteral("A").repeated(count));

    const QString removed = QStringLiteral("&#300;a&#301;").repeated(count / 2);
    EXPECT_EQ(DecodeNumericReferences(removed), QStringLiteral("a").repeated(count / 2));

    QString distinct;
    QString distinctDecoded;
    for (int n = 0; n < count; ++n) {
        distinct += QStringLiteral("&#%1;b").arg(256 + n);
        distinctDecoded += u'b';
    }
    EXPECT_EQ(DecodeNumericReferences(distinct), distinctDecoded);

    const QString unclosed = QStringLiteral("&#").repeated(count) + u';';
    EXPECT_EQ(DecodeNumericReferences(unclosed), unclosed);

    const QString noSemicolon = QStringLiteral("&#1").repeated(count);
    EXPECT_EQ(DecodeNumericReferences(noSemicolon), noSemicolon);
}
