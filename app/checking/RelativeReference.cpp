#include "app/checking/RelativeReference.h"

#include <optional>

namespace
{
// The five components of an address; a component that is absent differs from an empty one
// ("http://host/p?" has an empty query, "http://host/p" none).
struct AddressParts
{
    std::optional<QStringView> Scheme;
    std::optional<QStringView> Authority;
    QStringView Path;
    std::optional<QStringView> Query;
    std::optional<QStringView> Fragment;
};

bool IsSchemeCharacter(QChar c, bool first)
{
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (first)
        return letter;
    return letter || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

qsizetype SchemeLength(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u':')
            return i > 0 ? i : -1;
        if (!IsSchemeCharacter(c, i == 0))
            return -1;
    }
    return -1;
}

AddressParts SplitAddress(QStringView text)
{
    AddressParts parts;
    const qsizetype hash = text.indexOf(u'#');
    if (hash >= 0) {
        parts.Fragment = text.sliced(hash + 1);
        text = text.first(hash);
    }
    const qsizetype question = text.indexOf(u'?');
    if (question >= 0) {
        parts.Query = text.sliced(question + 1);
        text = text.first(question);
    }
    const qsizetype scheme = SchemeLength(text);
    if (scheme > 0) {
        parts.Scheme = text.first(scheme);
        text = text.sliced(scheme + 1);
    }
    if (text.startsWith(u"//")) {
        text = text.sliced(2);
        const qsizetype slash = text.indexOf(u'/');
        parts.Authority = slash >= 0 ? text.first(slash) : text;
        text = slash >= 0 ? text.sliced(slash) : QStringView();
    }
    parts.Path = text;
    return parts;
}

// Drops "." and ".." segments, a ".." taking the segment before it along.
QString RemoveDotSegments(QStringView input)
{
    QString output;
    output.reserve(input.size());
    const auto dropLastSegment = [&output] {
        const qsizetype slash = output.lastIndexOf(u'/');
        output.truncate(slash >= 0 ? slash : 0);
    };
    while (!input.isEmpty()) {
        if (input.startsWith(u"../")) {
            input = input.sliced(3);
        } else if (input.startsWith(u"./")) {
            input = input.sliced(2);
        } else if (input.startsWith(u"/./")) {
            input = input.sliced(2);
        } else if (input == u"/.") {
            output += u'/';
            input = {};
        } else if (input.startsWith(u"/../")) {
            input = input.sliced(3);
            dropLastSegment();
        } else if (input == u"/..") {
            dropLastSegment();
            output += u'/';
            input = {};
        } else if (input == u"." || input == u"..") {
            input = {};
        } else {
            const qsizetype next = input.indexOf(u'/', 1);
            const qsizetype length = next >= 0 ? next : input.size();
            output += input.first(length);
            input = input.sliced(length);
        }
    }
    return output;
}

// The reference's path appended to the base's directory: everything of the base path up to
// its last "/", or "/" alone when the base has a host and no path.
QString MergePaths(const AddressParts& base, QStringView referencePath)
{
    if (base.Authority && base.Path.isEmpty())
        return u'/' + referencePath.toString();
    const qsizetype slash = base.Path.lastIndexOf(u'/');
    return base.Path.first(slash + 1).toString() + referencePath.toString();
}

QString JoinAddress(std::optional<QStringView> scheme, std::optional<QStringView> authority, const QString& path,
                    std::optional<QStringView> query, std::optional<QStringView> fragment)
{
    QString address;
    if (scheme)
        address += scheme->toString() + u':';
    if (authority)
        address += QStringLiteral("//") + authority->toString();
    address += path;
    if (query)
        address += u'?' + query->toString();
    if (fragment)
        address += u'#' + fragment->toString();
    return address;
}
} // namespace

bool HasScheme(QStringView reference)
{
    return SchemeLength(reference) > 0;
}

QString ResolveRelativeReference(QStringView base, QStringView reference)
{
    const AddressParts b = SplitAddress(base);
    const AddressParts r = SplitAddress(reference);

    if (r.Scheme)
        return JoinAddress(r.Scheme, r.Authority, RemoveDotSegments(r.Path), r.Query, r.Fragment);
    if (r.Authority)
        return JoinAddress(b.Scheme, r.Authority, RemoveDotSegments(r.Path), r.Query, r.Fragment);
    if (r.Path.isEmpty())
        return JoinAddress(b.Scheme, b.Authority, b.Path.toString(), r.Query ? r.Query : b.Query, r.Fragment);
    const QString path = r.Path.startsWith(u'/') ? RemoveDotSegments(r.Path) : RemoveDotSegments(MergePaths(b, r.Path));
    return JoinAddress(b.Scheme, b.Authority, path, r.Query, r.Fragment);
}
