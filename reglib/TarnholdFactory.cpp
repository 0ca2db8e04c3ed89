#include "reglib/TarnholdFactory.h"

#include "reglib/ServerModule.h"
#include "reglib/TarnholdAPI.h"

#include <new>

namespace tarnhold
{

using namespace win32;

TarnholdFactory::TarnholdFactory()
{
    ObjectCreated();
}

TarnholdFactory::~TarnholdFactory()
{
    ObjectDestroyed();
}

HRESULT TarnholdFactory::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    if (riid == IID_IUnknown)
        *ppvObject = static_cast<IUnknown*>(this);
    else if (riid == IID_IClassFactory)
        *ppvObject = static_cast<IClassFactory*>(this);
    else {
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TarnholdFactory::AddRef()
{
    return ++references_;
}

ULONG TarnholdFactory::Release()
{
    const ULONG remaining = --references_;
    if (remaining == 0)
        delete this;
    return remaining;
}

HRESULT TarnholdFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    TarnholdAPI* object = nullptr;
    try {
        object = new TarnholdAPI();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The new object's own reference is dropped after the query: it lives on only when the
    // caller got an interface of it.
    const HRESULT hr = object->QueryInterface(riid, ppvObject);
    object->Release();
    return hr;
}

HRESULT TarnholdFactory::LockServer(BOOL fLock)
{
    LockModule(fLock != 0);
    return S_OK;
}

} // namespace tarnhold
