#pragma once
#include "app/checking/HttpProbe.h"
#include "app/favorites/ShortcutFile.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class ProbePool;

// Checking one favorite, the same way wherever the check runs: read its shortcut, probe its
// address, move it to its redirect target and probe that once more, show the result and
// rename it after its page title, where the favorite allows it.

// One favorite as a check sees it. The window's tree node and a file on disk both are one.
class CheckedLink
{
public:
    virtual ~CheckedLink() = default;
    // Whether the favorite is still where the check found it; one that has gone is left alone.
    virtual bool IsStillThere() const = 0;
    // The folder that holds its shortcut file, and its name (the file name without ".url").
    virtual QString FolderPath() const = 0;
    virtual QString Name() const = 0;
    // Shows the result of the check: the status, -1 for no usable reply.
    virtual void ShowStatus(int16_t status) = 0;
    // Renames the favorite after its page title, by the program's rules for names.
    virtual void RenameTo(const QString& title) = 0;
};

// What a probe was given, as read from the shortcut file.
struct ProbedShortcut
{
    bool Read = false; // false when the file's own options could not be read
    Shortcut Values;
};

// What checking one favorite did.
struct LinkOutcome
{
    bool Checked = false;   // false when the favorite had gone before its turn
    int16_t Status = -1;    // the status shown
    QString Url;            // the favorite's address when its check began
    QString RedirectUrl;    // the redirect target written into the file (or, on a dry run, that would be)
    QString NewName;        // the name after the rename (or, on a dry run, the one it would get); empty if none
    qint64 Milliseconds = 0; // from the start of its first probe to the end of its check
};

// Probes one address on the spot and waits for the result.
using ProbeNowFunction = std::function<ProbeResult(const QString& url, int16_t linkTimeout)>;

// Whether a redirect target may replace a favorite's address: an absolute http or https
// address with a host name the probe can connect to, and no blank or control character.
bool IsUsableRedirect(const QString& url);

// Finishes the check of one favorite whose first probe has given `first` for the shortcut as
// read then: the shortcut is read again, and probed again on the spot when its address or
// time-out has changed meanwhile; then the redirect, the result and the rename, each only
// while the favorite is still there. Without `first`, the first probe is made on the spot.
// A dry run writes and renames nothing and says what it would have done.
LinkOutcome ApplyLinkCheck(CheckedLink& link, const std::optional<std::pair<ProbedShortcut, ProbeResult>>& first,
                           const ProbeNowFunction& probeNow, bool dryRun = false);

// How a check run probes.
struct CheckRunLimits
{
    int MaxInFlight = 16; // probes under way at once
    int MaxPerHost = 2;   // probes under way to one host
};

// Checks favorites in the run's order with several probes under way, applying the results
// one favorite at a time in that order, each exactly as a check of that favorite alone
// would: what is shown and written never depends on how many probes were under way.
class CheckRun
{
public:
    explicit CheckRun(CheckRunLimits limits = {}, bool dryRun = false);

    // Checks `links` in order. `running` is asked before each favorite: once it says no, the
    // rest are passed over and every probe still under way is ended. `applied` hears each
    // favorite's outcome once it has been applied.
    void Run(const std::vector<CheckedLink*>& links, const std::function<bool()>& running,
             const std::function<void(size_t index, const LinkOutcome&)>& applied = {});

private:
    CheckRunLimits limits_;
    bool dryRun_;
};
