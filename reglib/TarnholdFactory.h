#pragma once
#include "platform/win32/ComInterfaces.h"

namespace tarnhold
{

// The class object of TarnholdAPI: makes new objects for CoCreateInstance.
class TarnholdFactory final : public win32::IClassFactory
{
public:
    TarnholdFactory();
    ~TarnholdFactory();
    TarnholdFactory(const TarnholdFactory&) = delete;
    TarnholdFactory& operator=(const TarnholdFactory&) = delete;

    win32::HRESULT QueryInterface(win32::REFIID riid, void** ppvObject) override;
    win32::ULONG AddRef() override;
    win32::ULONG Release() override;

    win32::HRESULT CreateInstance(win32::IUnknown* pUnkOuter, win32::REFIID riid, void** ppvObject) override;
    win32::HRESULT LockServer(win32::BOOL fLock) override;

private:
    win32::ULONG references_ = 1;
};

} // namespace tarnhold
