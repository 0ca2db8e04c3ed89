#include "app/checking/RelativeReference.h"

#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>

namespace
{
struct ResolveCase
{
    const char16_t* reference;
    const char16_t* resolved;
};

// The worked examples of the standard for relative references, all on one base address.
const char16_t* const ExampleBase = u"http://a/b/c/d;p?q";
const ResolveCase StandardExamples[] = {
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
} // namespace

TEST(RelativeReference, StandardExamples)
{
    const QString base = QString::fromUtf16(ExampleBase);
    for (const ResolveCase& c : StandardExamples) {
        const QString reference = QString::fromUtf16(c.reference);
        EXPECT_EQ(ResolveRelativeReference(base, reference), QString::fromUtf16(c.resolved)) << reference.toStdString();
    }
}

TEST(RelativeReference, FavoriteAddresses)
{
    struct Case
    {
        const char16_t* base;
        const char16_t* reference;
        const char16_t* resolved;
    };
    // The resolutions a redirect needs are in the reply analysis table.
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveRelativeReference(QString::fromUtf16(c.base), QString::fromUtf16(c.reference)),
                  QString::fromUtf16(c.resolved))
            << QString::fromUtf16(c.reference).toStdString();
    }
}

TEST(RelativeReference, SchemeDetection)
{
    struct Case
    {
        const char16_t* reference;
        bool hasScheme;
    };
    const Case cases[] = {
        {u"ftp://host/", true}, {u"mailto:a@b", true}, {u"javascript:x()", true}, {u"a+b.c-d:x", true},
        {u"index.html", false}, {u"/x:y", false},      {u"x/y:z", false},         {u"?a:b", false},
        {u"#a:b", false},       {u":x", false},        {u"1a:b", false},          {u"", false},
        {u"A:x", true},         {u"Z:x", true},        {u"a0:+", true},           {u"a9:x", true},
        {u"@:x", false},        {u"[:x", false},       {u"a/:x", false},          {u"a:", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasScheme(QString::fromUtf16(c.reference)), c.hasScheme)
            << QString::fromUtf16(c.reference).toStdString();
}
