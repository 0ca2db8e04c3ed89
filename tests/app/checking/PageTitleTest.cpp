#include "app/checking/PageTitle.h"

#include "platform/win32/AnsiCodePage.h"
#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>

namespace
{
QString Reply200(const QString& body)
{
    return QStringLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n") + body;
}
} // namespace

TEST(PageTitle, TitleTextAsTheStepsLeaveIt)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        // Markers in any letter case; the first title counts.
        {u"<html><head><title>  Tom &amp; Jerry </title></head>", u"Tom & Jerry"},
        {u"<TITLE>Upper</TITLE>", u"Upper"},
        {u"<TiTlE>Mixed</tItLe>", u"Mixed"},
        {u"<title>First</title><title>Second</title>", u"First"},
        // Only the bare tags count.
        {u"<title lang=\"en\">With attribute</title>", u""},
        {u"< title>Spaced</title>", u""},
        {u"<title >Spaced</title>", u""},
        {u"<title>No end", u""},
        {u"No title at all", u""},
        {u"<title></title>", u""},
        {u"<title>   </title>", u""},
        // Line breaks and control characters go; only spaces are trimmed, before the numeric step.
        {u"<title>\r\n\tLine one\r\n\tline two\r\n</title>", u"Line oneline two"},
        {u"<title>a\rb\nc\td</title>", u"abcd"},
        {u"<title> \r\n  Padded \r\n </title>", u"Padded"},
        {u"<title>a\u0001b\u001Fc\u007Fd\u0081e\u009Df</title>", u"abcdef"},
        {u"<title>&quot;Quoted&quot;</title>", u"\"Quoted\""},
        {u"<title>&copy; 2024 Acme&reg;</title>", u"\u00A9 2024 Acme\u00AE"},
        // "&amp;" goes first, so a doubly escaped reference is decoded once more by the later steps.
        {u"<title>&amp;quot;</title>", u"\""},
        {u"<title>&amp;copy;</title>", u"\u00A9"},
        {u"<title>&amp;trade;</title>", u""},
        {u"<title>&amp;#65;</title>", u"A"},
        // Each replacement runs once over the text: what it produces is not replaced again.
        {u"<title>&amp;amp;</title>", u"&amp;"},
        // Letter case must match exactly.
        {u"<title>&AMP;</title>", u"&AMP;"},
        {u"<title>&Amp; &QUOT; &Copy; &REG; &TRADE;</title>", u"&Amp; &QUOT; &Copy; &REG; &TRADE;"},
        // Other named references stay as written.
        {u"<title>&nbsp;Caf&eacute;</title>", u"&nbsp;Caf&eacute;"},
        // The trademark sign goes in both spellings.
        {u"<title>Brand&trade; &#153;</title>", u"Brand"},
        {u"<title>&#153;Brand</title>", u"Brand"},
        {u"<title>Brand&trade;</title>", u"Brand"},
        {u"<title>&#32;a</title>", u" a"},        {u"<title>a&#32;</title>", u"a "},
        {u"<title>&#160;a </title>", u"\u00A0a"}, {u"<title>  x &#8217; y &#8217; z  </title>", u"x  y  z"},
        {u"<title>A&#65;&#66;</title>", u"AAB"},
        {u"<title>AT&#T &#x41; &#; &#-5; &#255.5; &#10;</title>", u"AT&#T A &#; &#-5; &#255.5; "},
        // A stray closing tag before the title does not end it.
        {u"</title><title>Real</title>", u"Real"},
        {u"</title>only a stray closing tag<title>", u""},
    };
    for (const auto& [page, title] : cases) {
        const QString text = QString::fromUtf16(page);
        EXPECT_EQ(ExtractTitle(Reply200(text)), QString::fromUtf16(title)) << text.toStdString();
    }
    QString withNul = QStringLiteral("<title>a");
    withNul += QChar(0);
    withNul += QStringLiteral("b</title>");
    EXPECT_EQ(ExtractTitle(withNul), QStringLiteral("ab"));
}

// Replies as the bytes a server sends: the probe reads them one code-page character per byte.
TEST(PageTitle, TitleInThePageEncodingAndOutOfItsChunks)
{
    const char* const chunked = "Transfer-Encoding: chunked\r\n";
    const char* const utf8 = "Content-Type: text/html; charset=utf-8\r\n";
    // Headers, body, title.
    const std::tuple<const char*, const char*, const char16_t*> cases[] = {
        // Chunk boundaries inside <TITLE> and inside the title.
        {chunked, "4\r\n<tit\r\n7\r\nle>Harb\r\n12\r\nour Charts</title>\r\n0\r\n\r\n", u"Harbour Charts"},
        // Extensions, blanks, leading zeros and LF alone on the size lines; trailers after the end.
        {"transfer-encoding: Chunked \r\n",
         "9 ;a=b\r\n<title>Sh\r\n0000B\nip &amp; Co\n8\r\n</title>\r\n0\r\nX: 1\r\n\r\n",
         u"Ship & Co"},
        // Cut short inside a chunk, or a size beyond anything: what arrived.
        {chunked, "400\r\n<title>Cut short</title><p>te", u"Cut short"},
        {chunked, "FFFFFFFFFFFFFFFFFFFFFFFF\r\n<title>Huge</title>", u"Huge"},
        // Nothing after the last chunk is body.
        {chunked, "5\r\n<titl\r\n0\r\n\r\ne>Beyond the end</title>", u""},
        // Framing that breaks down: the rest as it came.
        {chunked, "Bad <title>Plain after all</title>", u"Plain after all"},
        {chunked, "3\r\n<ti" "tle>No line end</title>", u"No line end"},
        // The charset of the header, of a meta tag, of http-equiv. Declared UTF-8 is UTF-8 also
        // where a byte is not.
        {utf8, "<title>Caf\xC3\xA9 M\xC3\xBCnster \xE2\x80\x94 Stra\xC3\x9F" "e</title>",
         u"Caf\u00E9 M\u00FCnster \u2014 Stra\u00DFe"},
        {"", "<meta charset=\" UTF-8 \"><title>Caf\xC3\xA9 \xE9</title>", u"Caf\u00E9 \uFFFD"},
        {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><title>Caf\xC3\xA9 \xE9</title>",
         u"Caf\u00E9 \uFFFD"},
        // Any attribute order and quoting; a content attribute counts only with http-equiv.
        {"",
         "<meta name=a content=\"charset=koi8-r\"><META CONTENT='text/charsets;charset = \"windows-1251\"' "
         "HTTP-EQUIV=content-type><title>\xCF\xF0\xE8\xEC\xE5\xF0</title>",
         u"\u041F\u0440\u0438\u043C\u0435\u0440"},
        // The header comes first; a declaration after the title counts for nothing.
        {"Content-Type: text/html; charset=windows-1252\r\n", "<meta charset=utf-8><title>\xC3\xA9t\xC3\xA9</title>",
         u"\u00C3\u00A9t\u00C3\u00A9"},
        {"", "<title>\xE9t\xE9</title><meta charset=utf-8>", u"\u00E9t\u00E9"},
        // Undeclared: UTF-8 if it is valid UTF-8, else the code page; so for an unknown charset.
        {"", "<title>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80</title>",
         u"\u041F\u0440\u0438\u043C\u0435\u0440"},
        {"", "<title>\x96&#150;\xA9&#169;\xA0&#160;</title>", u"\u2013\u2013\u00A9\u00A9\u00A0\u00A0"},
        {"Content-Type: text/html; charset=x-no-such-set\r\n", "<title>Caf\xC3\xA9</title>", u"Caf\u00E9"},
        // Plain ASCII comes out as it is; a charset that would read it otherwise is no declaration.
        {"Content-Type: text/html; charset=Shift_JIS\r\n", "<title>C:\\dir ~ 1+1=2 &amp; \"it's\"</title>",
         u"C:\\dir ~ 1+1=2 & \"it's\""},
        {"Content-Type: text/html; charset=utf-16\r\n", "<title>Plain &amp; simple</title>", u"Plain & simple"},
        // References below 256 stay code-page characters; decoding brings no line break in.
        {utf8, "<title>&#150; &#x96; \xE2\x80\x93 &#8211;</title>", u"\u2013 \u2013 \u2013 "},
        {utf8, "<title>a\xC2\x85" "b\xE2\x80\xA8" "c\xE2\x80\xA9</title>", u"abc"},
    };
    for (const auto& [headers, body, title] : cases) {
        const std::string bytes = std::string("HTTP/1.1 200 OK\r\n") + headers + "\r\n" + body;
        const QString reply = QString::fromStdU16String(win32::AnsiToUnicode(bytes));
        EXPECT_EQ(ExtractTitle(reply), QString::fromUtf16(title)) << bytes;
    }
}

TEST(PageTitle, TitleFarIntoALargeReplyAndFillingIt)
{
    // Positions beyond 32767 are found like any other.
    for (qsizetype offset : {32700, 32760, 32767, 32768, 40000, 70000}) {
        const QString page = QString(offset, u'x') + QStringLiteral("<TITLE>Deep &amp; far</TITLE>");
        EXPECT_EQ(ExtractTitle(page), QStringLiteral("Deep & far")) << offset;
    }

    // A title of megabytes after forty thousand characters of head, with megabytes of body after it.
    const int count = 400000;
    QString reply = Reply200(QStringLiteral("<html><head>"));
    reply += QStringLiteral("<meta name=\"filler\" content=\"0123456789\">\r\n").repeated(1000);
    reply += QStringLiteral("<title>") + QStringLiteral("a&amp;b&#65;\r\n&#8217;").repeated(count);
    reply += QStringLiteral("</title></head><body>");
    reply += QStringLiteral("<p>Some text &amp; more text, line after line.</p>\r\n").repeated(80000);
    reply += QStringLiteral("</body></html>");
    ASSERT_GT(reply.indexOf(QStringLiteral("<title>")), 40000);
    EXPECT_EQ(ExtractTitle(reply), QStringLiteral("a&bA").repeated(count));
}

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
