#pragma once
#include "app/checking/CheckRuns.h"

// A run host that is the window's, with other limits: one probe at a time, or many.
class LimitedHost : public CheckRunHost
{
public:
    LimitedHost(CheckRunHost& window, CheckRunLimits limits) : window_(window), limits_(limits) {}
    TreeView& Tree() override { return window_.Tree(); }
    bool CheckRunning() const override { return window_.CheckRunning(); }
    void SetCheckRunning(bool running) override { window_.SetCheckRunning(running); }
    void ShowRunText(const QString& text) override { window_.ShowRunText(text); }
    void RunStarted() override { window_.RunStarted(); }
    void RunFinished() override { window_.RunFinished(); }
    HttpProbe& Probe() override { return window_.Probe(); }
    CheckRunLimits RunLimits() const override { return limits_; }

private:
    CheckRunHost& window_;
    CheckRunLimits limits_;
};
