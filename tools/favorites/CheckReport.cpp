#include "tools/favorites/CheckReport.h"

#include "tools/favorites/BookmarkWriter.h"

#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

namespace
{
// Collects the report in pieces and hands them to the device a good stretch at a time.
class Output
{
public:
    explicit Output(QIODevice& device) : device_(device) {}

    Output& operator<<(const QByteArray& bytes)
    {
        buffer_ += bytes;
        if (buffer_.size() >= 64 * 1024)
            Flush();
        return *this;
    }
    Output& operator<<(const QString& text) { return *this << text.toUtf8(); }
    Output& operator<<(const char* text) { return *this << QByteArray(text); }

    bool End()
    {
        Flush();
        return ok_;
    }

private:
    void Flush()
    {
        ok_ = ok_ && device_.write(buffer_) == buffer_.size();
        buffer_.clear();
    }

    QIODevice& device_;
    QByteArray buffer_;
    bool ok_ = true;
};

// ---- CSV ----

QByteArray CsvField(const QString& text)
{
    QString value = text;
    // A spreadsheet runs a cell that begins like a formula; a page title or an address made
    // up by someone else must stay text.
    if (!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value[0]))
        value.prepend(QLatin1Char('\''));
    QByteArray bytes = value.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

bool WriteCsv(Output& out, const CheckReport& report)
{
    out << "\xEF\xBB\xBF"
        << "folder,name,address,status,verdict,redirect,new name,milliseconds\r\n";
    for (const CheckedRow& row : report.Rows) {
        out << CsvField(row.Folder) << "," << CsvField(row.Name) << "," << CsvField(row.Url) << ","
            << (row.Status == -1 ? QByteArray() : QByteArray::number(row.Status)) << ","
            << CsvField(VerdictName(VerdictOf(row.Status))) << "," << CsvField(row.RedirectUrl) << ","
            << CsvField(row.NewName) << "," << QByteArray::number(row.Milliseconds) << "\r\n";
    }
    return out.End();
}

// ---- JSON ----

QJsonValue TextOrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// The time with its offset from UTC, so that it means one moment wherever it is read.
QString WithOffset(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray Json(const QJsonObject& object, QJsonDocument::JsonFormat format)
{
    return QJsonDocument(object).toJson(format);
}

bool WriteJson(Output& out, const CheckReport& report)
{
    const CheckTotals totals = report.Totals();
    const QJsonObject head{
        {QStringLiteral("folder"), report.Folder},
        {QStringLiteral("dryRun"), report.DryRun},
        {QStringLiteral("stopped"), report.Stopped},
        {QStringLiteral("started"), WithOffset(report.Started)},
        {QStringLiteral("ended"), WithOffset(report.Ended)},
        {QStringLiteral("totals"), QJsonObject{{QStringLiteral("favorites"), totals.Favorites},
                                               {QStringLiteral("checked"), totals.Checked},
                                               {QStringLiteral("answered"), totals.Answered},
                                               {QStringLiteral("broken"), totals.Broken},
                                               {QStringLiteral("noReply"), totals.NoReply},
                                               {QStringLiteral("moved"), totals.Moved},
                                               {QStringLiteral("renamed"), totals.Renamed}}},
    };
    // The rows go out one at a time, so a report over many favorites is never held whole.
    QByteArray opening = Json(head, QJsonDocument::Indented);
    opening.chop(opening.endsWith("\n}\n") ? 3 : 0);
    out << opening << ",\n    \"links\": [";
    const char* separator = "\n        ";
    for (const CheckedRow& row : report.Rows) {
        const QJsonObject link{
            {QStringLiteral("folder"), row.Folder},
            {QStringLiteral("name"), row.Name},
            {QStringLiteral("address"), row.Url},
            {QStringLiteral("status"), row.Status == -1 ? QJsonValue() : QJsonValue(row.Status)},
            {QStringLiteral("verdict"), VerdictName(VerdictOf(row.Status))},
            {QStringLiteral("redirect"), TextOrNull(row.RedirectUrl)},
            {QStringLiteral("newName"), TextOrNull(row.NewName)},
            {QStringLiteral("milliseconds"), row.Milliseconds},
        };
        out << separator << Json(link, QJsonDocument::Compact);
        separator = ",\n        ";
    }
    out << (report.Rows.empty() ? "]\n}\n" : "\n    ]\n}\n");
    return out.End();
}

// ---- HTML ----

// Text from outside as it may stand in an element or a quoted attribute of a page that is also
// read as XML: markup characters as entities; characters XML cannot hold at all (control
// characters, halves of a pair without their other half) as U+FFFD.
QString Escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (const QLatin1StringView entity = MarkupEntity(c); !entity.isEmpty())
            out += entity;
        else if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F) || c >= 0xFFFE)
            out += QChar(0xFFFD);
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            out += text.mid(i++, 2);
        else if (QChar::isSurrogate(c))
            out += QChar(0xFFFD);
        else
            out += text[i];
    }
    return out;
}

bool IsWebAddress(const QString& url)
{
    return url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

// The address as a link where a browser may follow it; anything else (javascript:, file:,
// data:) only as text.
QString Address(const QString& url, const char* cssClass)
{
    const QString shown = Escaped(url.isEmpty() ? QStringLiteral("(no address)") : url);
    if (!IsWebAddress(url))
        return QStringLiteral("<span class=\"%1\">%2</span>").arg(QLatin1StringView(cssClass), shown);
    return QStringLiteral("<a class=\"%1\" href=\"%2\" rel=\"noreferrer noopener\">%3</a>")
        .arg(QLatin1StringView(cssClass), Escaped(url), shown);
}

const char* const Style = R"(
body{font:15px/1.45 system-ui,"Segoe UI",Roboto,"DejaVu Sans",Arial,sans-serif;color:#1d1d1f;background:#fff;
margin:0 auto;max-width:64rem;padding:1rem 1.25rem 3rem}
h1{font-size:1.5rem;margin:.5rem 0 .2rem}
h2{font-size:1.2rem;margin:2rem 0 .5rem;padding-bottom:.25rem;border-bottom:1px solid #ddd}
h3{font-size:1rem;margin:1.2rem 0 .3rem;color:#444;overflow-wrap:anywhere}
p{margin:.3rem 0}
.meta{color:#555;overflow-wrap:anywhere}
.notice{background:#fff6d6;border:1px solid #e8d28a;padding:.4rem .7rem;border-radius:4px;margin:.8rem 0}
svg.chart{display:block;width:100%;max-width:26rem;height:auto;margin:1rem 0 .3rem}
svg.chart text{font:15px system-ui,"DejaVu Sans",Arial,sans-serif;fill:#333}
.when{white-space:nowrap}
ul.links{list-style:none;margin:0;padding:0}
ul.links li{margin:.35rem 0;padding:.45rem .7rem;background:#f6f6f7;border-left:5px solid #999;border-radius:3px}
li.broken{border-left-color:#c62828!important}
li.silent{border-left-color:#d4a106!important}
li.answered{border-left-color:#2e7d32!important}
.tag{display:inline-block;min-width:4.5rem;margin-right:.5rem;font-size:.8rem;font-weight:600;color:#555}
li.broken .tag{color:#c62828}
li.silent .tag{color:#9a7400}
li.answered .tag{color:#2e7d32}
.name{font-weight:600;overflow-wrap:anywhere}
.url{display:block;font-size:.875rem;overflow-wrap:anywhere;color:#1a56b0}
.more{display:block;font-size:.8rem;color:#555;overflow-wrap:anywhere}
details{margin-top:2rem}
summary{font-size:1.2rem;font-weight:600;cursor:pointer;padding-bottom:.25rem;border-bottom:1px solid #ddd}
)";

struct Bar
{
    const char* Label;
    int Count;
    const char* Colour;
};

// The totals as horizontal bars, each as long as its share of the favorites.
QString Chart(const CheckTotals& totals)
{
    std::vector<Bar> bars = {{"answered", totals.Answered, "#2e7d32"},
                             {"broken", totals.Broken, "#c62828"},
                             {"no reply", totals.NoReply, "#d4a106"}};
    if (totals.Favorites > totals.Checked)
        bars.push_back({"not checked", totals.Favorites - totals.Checked, "#9e9e9e"});
    const int rowHeight = 30;
    const double longest = 200;
    const int height = static_cast<int>(bars.size()) * rowHeight + 6;
    QString svg = QStringLiteral("<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 360 %1\" "
                                 "role=\"img\" aria-labelledby=\"chart-title\">\n<title id=\"chart-title\">")
                      .arg(height);
    QStringList parts;
    for (const Bar& bar : bars)
        parts.append(QStringLiteral("%1 %2").arg(bar.Count).arg(QLatin1StringView(bar.Label)));
    svg += parts.join(QStringLiteral(", ")) + QStringLiteral("</title>\n");
    for (size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const int y = static_cast<int>(i) * rowHeight + 4;
        const double width = totals.Favorites > 0 ? longest * bar.Count / totals.Favorites : 0;
        const double shown = bar.Count > 0 ? std::max(width, 2.0) : 0;
        svg += QStringLiteral("<text x=\"84\" y=\"%1\" text-anchor=\"end\">%2</text>\n")
                   .arg(y + 16)
                   .arg(QLatin1StringView(bar.Label));
        svg += QStringLiteral("<rect x=\"92\" y=\"%1\" width=\"%2\" height=\"20\" rx=\"2\" fill=\"%3\"/>\n")
                   .arg(y + 1)
                   .arg(shown, 0, 'f', 1)
                   .arg(QLatin1StringView(bar.Colour));
        svg +=
            QStringLiteral("<text x=\"%1\" y=\"%2\">%3</text>\n").arg(shown + 98, 0, 'f', 1).arg(y + 16).arg(bar.Count);
    }
    return svg + QStringLiteral("</svg>\n");
}

QString Sentence(const CheckTotals& totals, bool dryRun)
{
    QString text = QStringLiteral("%1 of %2 favorites checked: %3 answered, %4 broken, %5 no reply.")
                       .arg(totals.Checked)
                       .arg(totals.Favorites)
                       .arg(totals.Answered)
                       .arg(totals.Broken)
                       .arg(totals.NoReply);
    if (totals.Moved > 0 || totals.Renamed > 0) {
        text += dryRun ? QStringLiteral(" %1 would be moved to a new address, %2 renamed after their page title.")
                       : QStringLiteral(" %1 moved to a new address, %2 renamed after their page title.");
        text = text.arg(totals.Moved).arg(totals.Renamed);
    }
    return text;
}

QString LinkItem(const CheckedRow& row, bool dryRun)
{
    const Verdict verdict = VerdictOf(row.Status);
    static const std::array<const char*, 3> classes = {"answered", "broken", "silent"};
    QString item = QStringLiteral("<li class=\"%1\"><span class=\"tag\">%2</span><span class=\"name\">%3</span>")
                       .arg(QLatin1StringView(classes[static_cast<size_t>(verdict)]),
                            row.Status == -1 ? VerdictName(verdict)
                                             : QString::number(row.Status) + QLatin1Char(' ') + VerdictName(verdict),
                            Escaped(row.Name));
    item += Address(row.Url, "url");
    QStringList more;
    if (!row.RedirectUrl.isEmpty())
        more.append((dryRun ? QStringLiteral("would move to ") : QStringLiteral("moved to ")) +
                    Address(row.RedirectUrl, "moved"));
    if (!row.NewName.isEmpty())
        more.append((dryRun ? QStringLiteral("would be renamed ") : QStringLiteral("renamed ")) +
                    QStringLiteral("“%1”").arg(Escaped(row.NewName)));
    more.append(QStringLiteral("%1 ms").arg(row.Milliseconds));
    return item + QStringLiteral("<span class=\"more\">") + more.join(QStringLiteral(" · ")) +
           QStringLiteral("</span></li>\n");
}

// The rows that `wanted` picks, under a heading for each folder, in the tree's order; a
// folder's favorites stand together there.
void LinksByFolder(Output& out, const CheckReport& report, const QString& rootName, bool (*wanted)(const CheckedRow&))
{
    const QString* folder = nullptr;
    for (const CheckedRow& row : report.Rows) {
        if (!wanted(row))
            continue;
        if (!folder || *folder != row.Folder) {
            if (folder)
                out << "</ul>\n";
            folder = &row.Folder;
            out << "<h3>" << Escaped(row.Folder.isEmpty() ? rootName : rootName + QLatin1Char('/') + row.Folder)
                << "</h3>\n<ul class=\"links\">\n";
        }
        out << LinkItem(row, report.DryRun);
    }
    if (folder)
        out << "</ul>\n";
}

bool IsProblem(const CheckedRow& row)
{
    return VerdictOf(row.Status) != Verdict::Answered;
}

bool IsAnswered(const CheckedRow& row)
{
    return !IsProblem(row);
}

bool WriteHtml(Output& out, const CheckReport& report)
{
    const CheckTotals totals = report.Totals();
    QString rootName = QFileInfo(report.Folder).fileName();
    if (rootName.isEmpty())
        rootName = report.Folder;
    const QString when = report.Started.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
        // Nothing on the page may load or run anything, whatever a name or address holds.
        << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\"/>\n"
        << "<title>" << Escaped(QStringLiteral("Link check of %1, %2").arg(rootName, when)) << "</title>\n"
        << "<style>" << Style << "</style>\n</head>\n<body>\n"
        << "<h1>" << Escaped(QStringLiteral("Link check of %1").arg(rootName)) << "</h1>\n"
        << "<p class=\"meta\">" << Escaped(report.Folder) << "<br/>Started <span class=\"when\">"
        << report.Started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "</span>, ended <span class=\"when\">"
        << report.Ended.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "</span> ("
        << DurationText(report.Started.secsTo(report.Ended)) << ")</p>\n";
    if (report.DryRun)
        out << "<p class=\"notice\">A dry run: no favorite was changed or renamed. The page says what a check "
               "would have done.</p>\n";
    if (report.Stopped)
        out << "<p class=\"notice\">"
            << QStringLiteral("The check was stopped: %1 favorites were not checked.")
                   .arg(totals.Favorites - totals.Checked)
            << "</p>\n";
    out << Chart(totals) << "<p>" << Sentence(totals, report.DryRun) << "</p>\n";

    out << "<h2>" << QStringLiteral("Broken and no reply (%1)").arg(totals.Broken + totals.NoReply) << "</h2>\n";
    if (totals.Broken + totals.NoReply == 0)
        out << "<p>Every favorite checked answered.</p>\n";
    LinksByFolder(out, report, rootName, IsProblem);
    if (totals.Answered > 0) {
        out << "<details>\n<summary>" << QStringLiteral("Answered (%1)").arg(totals.Answered) << "</summary>\n";
        LinksByFolder(out, report, rootName, IsAnswered);
        out << "</details>\n";
    }
    out << "</body>\n</html>\n";
    return out.End();
}
} // namespace

Verdict VerdictOf(int16_t status)
{
    if (status == -1)
        return Verdict::NoReply;
    if (status == 404 || status == 410)
        return Verdict::Broken;
    return Verdict::Answered;
}

QString VerdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Broken:
        return QStringLiteral("broken");
    case Verdict::NoReply:
        return QStringLiteral("no reply");
    case Verdict::Answered:
        break;
    }
    return QStringLiteral("answered");
}

CheckTotals CheckReport::Totals() const
{
    CheckTotals totals;
    totals.Favorites = Favorites;
    totals.Checked = static_cast<int>(Rows.size());
    for (const CheckedRow& row : Rows) {
        const Verdict verdict = VerdictOf(row.Status);
        totals.Answered += verdict == Verdict::Answered ? 1 : 0;
        totals.Broken += verdict == Verdict::Broken ? 1 : 0;
        totals.NoReply += verdict == Verdict::NoReply ? 1 : 0;
        totals.Moved += row.RedirectUrl.isEmpty() ? 0 : 1;
        totals.Renamed += row.NewName.isEmpty() ? 0 : 1;
    }
    return totals;
}

ReportFormat ReportFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QStringLiteral("csv"))
        return ReportFormat::Csv;
    if (suffix == QStringLiteral("json"))
        return ReportFormat::Json;
    if (suffix == QStringLiteral("html") || suffix == QStringLiteral("htm"))
        return ReportFormat::Html;
    return ReportFormat::Unknown;
}

bool WriteReport(QIODevice& device, const CheckReport& report, ReportFormat format)
{
    Output out(device);
    switch (format) {
    case ReportFormat::Csv:
        return WriteCsv(out, report);
    case ReportFormat::Json:
        return WriteJson(out, report);
    case ReportFormat::Html:
        return WriteHtml(out, report);
    case ReportFormat::Unknown:
        break;
    }
    return false;
}

QString DurationText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    const QString minutes = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutes;
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutes.rightJustified(5, QLatin1Char('0')));
}
