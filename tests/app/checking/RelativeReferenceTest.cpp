#include "app/checking/RelativeReference.h"

#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>
#include <tuple>
#include <utility>

// The worked examples of the standard for relative references, all on one base address.
TEST(RelativeReference, StandardExamples)
{
    const QString base = QStringLiteral("http://a/b/c/d;p?q");
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"g:h", u"g:h"},
        {u"g", u"http://a/b/c/g"},
        {u"./g", u"http://a/b/c/g"},
        {u"g/", u"http://a/b/c/g/"},
        {u"/g", u"http://a/g"},
        {u"//g", u"http://g"},
        {u"?y", u"http://a/b/c/d;p?y"},
        {u"g?y", u"http://a/b/c/g?y"},
        {u"#s", u"http://a/b/c/d;p?q#s"},
        {u"g#s", u"http://a/b/c/g#s"},
        {u"g?y#s", u"http://a/b/c/g?y#s"},
        {u";x", u"http://a/b/c/;x"},
        {u"g;x", u"http://a/b/c/g;x"},
        {u"g;x?y#s", u"http://a/b/c/g;x?y#s"},
        {u"", u"http://a/b/c/d;p?q"},
        {u".", u"http://a/b/c/"},
        {u"./", u"http://a/b/c/"},
        {u"..", u"http://a/b/"},
        {u"../", u"http://a/b/"},
        {u"../g", u"http://a/b/g"},
        {u"../..", u"http://a/"},
        {u"../../", u"http://a/"},
        {u"../../g", u"http://a/g"},
        {u"../../../g", u"http://a/g"},
        {u"../../../../g", u"http://a/g"},
        {u"/./g", u"http://a/g"},
        {u"/../g", u"http://a/g"},
        {u"g.", u"http://a/b/c/g."},
        {u".g", u"http://a/b/c/.g"},
        {u"g..", u"http://a/b/c/g.."},
        {u"..g", u"http://a/b/c/..g"},
        {u"./../g", u"http://a/b/g"},
        {u"./g/.", u"http://a/b/c/g/"},
        {u"g/./h", u"http://a/b/c/g/h"},
        {u"g/../h", u"http://a/b/c/h"},
        {u"g;x=1/./y", u"http://a/b/c/g;x=1/y"},
        {u"g;x=1/../y", u"http://a/b/c/y"},
        {u"g?y/./x", u"http://a/b/c/g?y/./x"},
        {u"g?y/../x", u"http://a/b/c/g?y/../x"},
        {u"g#s/./x", u"http://a/b/c/g#s/./x"},
        {u"g#s/../x", u"http://a/b/c/g#s/../x"},
        {u"http:g", u"http:g"},
    };
    for (const auto& [reference, resolved] : cases) {
        const QString text = QString::fromUtf16(reference);
        EXPECT_EQ(ResolveRelativeReference(base, text), QString::fromUtf16(resolved)) << text.toStdString();
    }
}

TEST(RelativeReference, FavoriteAddresses)
{
    // Base, reference and the address they give. The resolutions a redirect needs are in the
    // reply analysis table.
    const std::tuple<const char16_t*, const char16_t*, const char16_t*> cases[] = {
        {u"http://host", u"index.html", u"http://host/index.html"},
        {u"http://host:8080/a/b", u"c", u"http://host:8080/a/c"},
        {u"http://host/a#top", u"b", u"http://host/b"},
        // Nothing is normalised beyond the path's dot segments.
        {u"http://Host/Dir/", u"File.HTML", u"http://Host/Dir/File.HTML"},
        {u"http://host/a%20b/", u"c d%2F", u"http://host/a%20b/c d%2F"},
        // An address of its own keeps its path, dot segments taken out even where they lead.
        {u"http://host/", u"g:./a", u"g:a"},
        {u"http://host/", u"g:../a", u"g:a"},
        {u"http://host/", u"g:a/../b", u"g:/b"},
    };
    for (const auto& [base, reference, resolved] : cases) {
        EXPECT_EQ(ResolveRelativeReference(QString::fromUtf16(base), QString::fromUtf16(reference)),
                  QString::fromUtf16(resolved))
            << QString::fromUtf16(reference).toStdString();
    }
}

TEST(RelativeReference, SchemeDetection)
{
    const std::pair<const char16_t*, bool> cases[] = {
        {u"ftp://host/", true}, {u"mailto:a@b", true}, {u"javascript:x()", true}, {u"a+b.c-d:x", true},
        {u"index.html", false}, {u"/x:y", false},      {u"x/y:z", false},         {u"?a:b", false},
        {u"#a:b", false},       {u":x", false},        {u"1a:b", false},          {u"", false},
        {u"A:x", true},         {u"Z:x", true},        {u"a0:+", true},           {u"a9:x", true},
        {u"@:x", false},        {u"[:x", false},       {u"a/:x", false},          {u"a:", true},
    };
    for (const auto& [reference, hasScheme] : cases)
        EXPECT_EQ(HasScheme(QString::fromUtf16(reference)), hasScheme) << QString::fromUtf16(reference).toStdString();
}
