#include "ui/popup/DescribedAccessible.h"

#include <oleacc.h>

#include <atomic>

#include "log/Log.h"

namespace ui {
namespace {

// The import library's IID_IAccessible is a data import that a static link reads wrong.
const IID kAccessibleIid = __uuidof(IAccessible);

// Everything as the system's object answers it, but the client's own description.
class DescribedAccessible final : public IAccessible {
 public:
  DescribedAccessible(IAccessible* inner, const std::wstring& description) : mInner(inner), mDescription(description) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kAccessibleIid) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++mRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --mRefs;
    if (left == 0) {
      mInner->Release();
      delete this;
    }
    return left;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return mInner->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
    return mInner->GetTypeInfo(i, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return mInner->GetIDsOfNames(riid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override {
    return mInner->Invoke(id, riid, lcid, flags, params, result, exception, argError);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (!description) return E_POINTER;
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return mInner->get_accDescription(child, description);
    *description = SysAllocString(mDescription.c_str());
    return *description ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return mInner->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return mInner->get_accChildCount(count); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return mInner->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override { return mInner->get_accName(child, name); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return mInner->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override { return mInner->get_accRole(child, role); }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return mInner->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return mInner->get_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return mInner->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return mInner->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return mInner->get_accFocus(child); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return mInner->get_accSelection(children); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return mInner->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return mInner->accSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return mInner->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return mInner->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override { return mInner->accHitTest(x, y, child); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return mInner->accDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return mInner->put_accName(child, name); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return mInner->put_accValue(child, value);
  }

 private:
  IAccessible* const mInner;
  const std::wstring mDescription;
  std::atomic<ULONG> mRefs{1};
};

}  // namespace

LRESULT AnswerWithDescription(HWND hwnd, WPARAM wParam, const std::wstring& description) {
  if (description.empty()) return 0;
  IAccessible* inner = nullptr;
  const HRESULT made = CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kAccessibleIid, reinterpret_cast<void**>(&inner));
  if (FAILED(made) || !inner) {
    Log("%s: CreateStdAccessibleObject failed with 0x%08lx; the window answers without its description.\n",
        "ui::AnswerWithDescription", static_cast<unsigned long>(made));
    return 0;
  }
  DescribedAccessible* described = new DescribedAccessible(inner, description);
  const LRESULT answer = LresultFromObject(kAccessibleIid, wParam, described);
  described->Release();  // the answer holds its own reference
  if (FAILED(static_cast<HRESULT>(answer))) {
    Log("%s: LresultFromObject failed with 0x%08lx; the window answers without its description.\n",
        "ui::AnswerWithDescription", static_cast<unsigned long>(answer));
    return 0;
  }
  return answer;
}

void NotifyDescriptionChanged(HWND hwnd) { NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF); }

}  // namespace ui
