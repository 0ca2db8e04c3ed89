#pragma once
#include "app/checking/HttpProbe.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

// Many probes at once, politely: at most MaxInFlight under way, at most MaxPerHost of them to
// one host (the host as the probe splits it, letter case ignored). Probes start in the order
// they were queued as the limits allow; one whose host is busy lets a later one go first.
class ProbePool : public QObject
{
    Q_OBJECT
public:
    ProbePool(int maxInFlight, int maxPerHost, QObject* parent = nullptr);
    ~ProbePool() override;

    // Queues a probe of url with the link's time-out; returns its number.
    int Queue(const QString& url, int16_t linkTimeout);
    // The result of probe `id`, waiting for it (events dispatched, never busy) when it has
    // not ended yet; the probe is then forgotten. An unknown or aborted probe gives -1.
    ProbeResult Take(int id);
    // Probes url ahead of every queued probe, within the same limits, and waits for it.
    ProbeResult ProbeNow(const QString& url, int16_t linkTimeout);
    // Ends every probe under way at once and forgets every queued one.
    void AbortAll();

    // Probes queued or under way and not taken yet.
    int Pending() const { return static_cast<int>(jobs_.size()); }
    // Probes under way now.
    int InFlight() const { return inFlight_; }

private:
    struct Job
    {
        QString Url;
        int16_t LinkTimeout = 0;
        QString Host; // the host key the limits count; empty when the address has none
        HttpProbe* Probe = nullptr;
        bool Done = false;
        ProbeResult Result;
    };

    // Starts what the limits allow, earliest first.
    void Fill();
    void Start(int id, Job& job);
    void Finish(HttpProbe* probe);
    void Release(Job& job);

    int maxInFlight_;
    int maxPerHost_;
    int nextId_ = 1;
    int inFlight_ = 0;
    std::map<int, Job> jobs_;
    std::deque<int> waiting_; // queued and not started, in the order they may start
    QHash<QString, int> perHost_;
    QHash<HttpProbe*, int> running_;
    std::vector<std::unique_ptr<HttpProbe>> probes_;
    std::vector<HttpProbe*> idle_;
    bool fillPending_ = false;
};
