#include "app/checking/LinkCheck.h"

#include "app/checking/ProbePool.h"
#include "app/checking/ReplyText.h"
#include "app/favorites/FavoriteNames.h"
#include "platform/runtime/ErrorRecord.h"

#include <algorithm>
#include <deque>

using namespace Qt::StringLiterals;

namespace
{
// Whether the host part is a name or address the socket can be given.
bool IsHostName(const QString& host)
{
    if (host.isEmpty())
        return false;
    for (QChar c : host) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'_')
            return false;
    }
    return true;
}

// The name a rename after `title` would give, or empty when it would give none.
QString NameAfterTitle(const QString& title, const QString& name)
{
    try {
        const QString after = DiskItemName(title, false);
        return after == name ? QString() : after;
    } catch (const runtime::Error&) {
        return QString();
    }
}
} // namespace

bool IsUsableRedirect(const QString& url)
{
    if (!StartsWithCaseless(url, "http://"_L1) && !StartsWithCaseless(url, "https://"_L1))
        return false;
    for (QChar c : url) {
        if (c.isSpace() || IsControlCharacter(c))
            return false;
    }
    const std::optional<ProbeTarget> target = SplitProbeUrl(url);
    return target && IsHostName(target->Host) && ProbePort(target->Port).has_value();
}

LinkOutcome ApplyLinkCheck(CheckedLink& link, const std::optional<std::pair<ProbedShortcut, ProbeResult>>& first,
                           const ProbeNowFunction& probeNow, bool dryRun)
{
    LinkOutcome outcome;
    if (!link.IsStillThere())
        return outcome;
    ProbeResult result;
    bool rename = false;
    try {
        Shortcut shortcut = ReadShortcut(link.FolderPath(), link.Name());
        // The file may have been edited since its probe started: what is applied always
        // matches the file as it is now.
        if (first && first->first.Read && first->first.Values.Url == shortcut.Url &&
            first->first.Values.LinkTimeout == shortcut.LinkTimeout) {
            result = first->second;
        } else {
            result = probeNow(shortcut.Url, shortcut.LinkTimeout);
            if (!link.IsStillThere())
                return outcome;
        }
        outcome.Url = shortcut.Url;
        outcome.Milliseconds = result.Milliseconds;

        // A target the probe could not use, or one that would break the file, is not
        // written: the first result then stands.
        if (!result.RedirectUrl.isEmpty() && shortcut.LinkRename && IsUsableRedirect(result.RedirectUrl)) {
            const QString target = result.RedirectUrl;
            if (dryRun) {
                outcome.RedirectUrl = target;
                result = probeNow(target, shortcut.LinkTimeout);
                outcome.Milliseconds += result.Milliseconds;
            } else if (WriteProfileString(u"InternetShortcut"_s, u"URL"_s, target,
                                          ShortcutFilePath(link.FolderPath(), link.Name()))) {
                outcome.RedirectUrl = target;
                shortcut = ReadShortcut(link.FolderPath(), link.Name());
                result = probeNow(shortcut.Url, shortcut.LinkTimeout);
                outcome.Milliseconds += result.Milliseconds;
                if (!link.IsStillThere())
                    return outcome;
            }
        }
        rename = shortcut.LinkRename;
    } catch (const runtime::Error&) {
        // A per-link Timeout or Rename that is no number: the favorite shows as one without a
        // usable reply, and is neither changed nor renamed.
        result = ProbeResult{};
        rename = false;
    }
    outcome.Checked = true;
    outcome.Status = result.Status;
    link.ShowStatus(result.Status);
    if (!result.Title.isEmpty() && link.Name() != result.Title && rename) {
        const QString before = link.Name();
        if (dryRun) {
            outcome.NewName = NameAfterTitle(result.Title, before);
        } else {
            link.RenameTo(result.Title);
            if (link.IsStillThere() && link.Name() != before)
                outcome.NewName = link.Name();
        }
    }
    return outcome;
}

CheckRun::CheckRun(CheckRunLimits limits, bool dryRun) : limits_(limits), dryRun_(dryRun) {}

void CheckRun::Run(const std::vector<CheckedLink*>& links, const std::function<bool()>& running,
                   const std::function<void(size_t index, const LinkOutcome&)>& applied)
{
    ProbePool pool(limits_.MaxInFlight, limits_.MaxPerHost);
    const ProbeNowFunction probeNow = [&pool](const QString& url, int16_t linkTimeout) {
        return pool.ProbeNow(url, linkTimeout);
    };

    // Favorites whose probes have been queued, in the run's order. The pool is kept fed a
    // bounded stretch ahead of the favorite being applied, so a run over many favorites
    // holds only a few results at a time.
    struct Ahead
    {
        ProbedShortcut Probed;
        int Id = 0;
    };
    std::deque<Ahead> ahead;
    const size_t stretch = static_cast<size_t>(std::max(1, limits_.MaxInFlight * 4));
    size_t queued = 0;

    for (size_t i = 0; i < links.size(); ++i) {
        if (!running())
            break;
        for (; queued < links.size() && queued < i + stretch; ++queued) {
            Ahead next;
            CheckedLink& link = *links[queued];
            if (link.IsStillThere()) {
                try {
                    next.Probed.Values = ReadShortcut(link.FolderPath(), link.Name());
                    next.Probed.Read = true;
                    next.Id = pool.Queue(next.Probed.Values.Url, next.Probed.Values.LinkTimeout);
                } catch (const runtime::Error&) {
                    // Looked at again, and shown, when its turn comes.
                }
            }
            ahead.push_back(std::move(next));
        }
        const Ahead current = std::move(ahead.front());
        ahead.pop_front();
        std::optional<std::pair<ProbedShortcut, ProbeResult>> first;
        if (current.Probed.Read)
            first.emplace(current.Probed, pool.Take(current.Id));
        const LinkOutcome outcome = ApplyLinkCheck(*links[i], first, probeNow, dryRun_);
        if (applied)
            applied(i, outcome);
    }
    // Nothing more is applied: what is still under way is ended, and nothing is written.
    pool.AbortAll();
}
