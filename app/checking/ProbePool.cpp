#include "app/checking/ProbePool.h"

#include "platform/desktop/EventPump.h"

#include <QTimer>

#include <algorithm>

ProbePool::ProbePool(int maxInFlight, int maxPerHost, QObject* parent)
    : QObject(parent), maxInFlight_(std::max(1, maxInFlight)), maxPerHost_(std::max(1, maxPerHost))
{
}

ProbePool::~ProbePool()
{
    AbortAll();
}

int ProbePool::Queue(const QString& url, int16_t linkTimeout)
{
    const int id = nextId_++;
    Job& job = jobs_[id];
    job.Url = url;
    job.LinkTimeout = linkTimeout;
    if (const std::optional<ProbeTarget> target = SplitProbeUrl(url))
        job.Host = target->Host.toLower();
    waiting_.push_back(id);
    Fill();
    return id;
}

ProbeResult ProbePool::Take(int id)
{
    for (;;) {
        const auto found = jobs_.find(id);
        if (found == jobs_.end())
            return ProbeResult{};
        if (found->second.Done) {
            const ProbeResult result = found->second.Result;
            jobs_.erase(found);
            return result;
        }
        desktop::WaitForEvents();
    }
}

ProbeResult ProbePool::ProbeNow(const QString& url, int16_t linkTimeout)
{
    const int id = Queue(url, linkTimeout);
    // Ahead of every queued probe: the caller waits for this one alone.
    if (!jobs_[id].Done && !jobs_[id].Probe) {
        waiting_.erase(std::find(waiting_.begin(), waiting_.end(), id));
        waiting_.push_front(id);
        Fill();
    }
    return Take(id);
}

void ProbePool::AbortAll()
{
    for (auto& [id, job] : jobs_) {
        if (job.Probe && !job.Done) {
            job.Probe->Abort();
            Release(job);
        }
    }
    jobs_.clear();
    waiting_.clear();
}

void ProbePool::Fill()
{
    for (auto it = waiting_.begin(); it != waiting_.end() && inFlight_ < maxInFlight_;) {
        Job& job = jobs_[*it];
        if (!job.Host.isEmpty() && perHost_.value(job.Host) >= maxPerHost_) {
            ++it;
            continue;
        }
        const int id = *it;
        it = waiting_.erase(it);
        Start(id, job);
    }
}

void ProbePool::Start(int id, Job& job)
{
    HttpProbe* probe = nullptr;
    if (!idle_.empty()) {
        probe = idle_.back();
        idle_.pop_back();
    } else {
        probes_.push_back(std::make_unique<HttpProbe>());
        probe = probes_.back().get();
        connect(probe, &HttpProbe::Finished, this, [this, probe] { Finish(probe); });
    }
    if (!probe->Start(job.Url, job.LinkTimeout)) {
        // An address the probe cannot use ends at once and takes no place.
        job.Done = true;
        job.Result = probe->Result();
        idle_.push_back(probe);
        return;
    }
    job.Probe = probe;
    running_.insert(probe, id);
    ++inFlight_;
    if (!job.Host.isEmpty())
        ++perHost_[job.Host];
}

void ProbePool::Finish(HttpProbe* probe)
{
    const auto found = jobs_.find(running_.value(probe, 0));
    if (found == jobs_.end())
        return;
    Job& job = found->second;
    job.Done = true;
    job.Result = probe->Result();
    Release(job);
    // The probe that ended is inside its own socket's notification: the next one starts once
    // that has returned.
    if (!fillPending_) {
        fillPending_ = true;
        QTimer::singleShot(0, this, [this] {
            fillPending_ = false;
            Fill();
        });
    }
}

void ProbePool::Release(Job& job)
{
    running_.remove(job.Probe);
    idle_.push_back(job.Probe);
    job.Probe = nullptr;
    --inFlight_;
    if (!job.Host.isEmpty() && --perHost_[job.Host] <= 0)
        perHost_.remove(job.Host);
}
