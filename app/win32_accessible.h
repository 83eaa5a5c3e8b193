// The gadget's accessible object: the client of its window as screen readers
// and UI Automation see it (through MSAA's IAccessible), with one child per
// shown processor and one for the memory, answered from AccessibleReadings at
// each call. Children are simple elements, addressed by child id (see
// app/accessible_view.h), never objects of their own.
//
// A COM object: reference counted, starting with one reference, its creator's.
// Clients may hold it past the window's end; disconnect() (when the window is
// destroyed) drops the window and the readings, after which every method but
// those of IUnknown answers RPC_E_DISCONNECTED and touches nothing of the
// window. IDispatch is there because IAccessible derives from it: no type
// information, and its calls answer E_NOTIMPL.
//
// Its strings come from platform.accessibility.alloc_string, its parent (the
// system's object of the whole window) from object_from_window.
//
// Bad calls are answered, never followed: a null out-pointer gets E_POINTER, a
// child id that names nothing or a VARIANT that is not VT_I4 E_INVALIDARG.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include "app/accessible_view.h"

class GadgetAccessible final : public IAccessible {
public:
    // `readings` must stay valid until disconnect().
    GadgetAccessible(HWND window, const AccessibleReadings* readings);
    void disconnect();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interface_id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument_error) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT from, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    ~GadgetAccessible() = default;
    GadgetAccessible(const GadgetAccessible&) = delete;
    GadgetAccessible& operator=(const GadgetAccessible&) = delete;

    // S_OK with `node` filled; RPC_E_DISCONNECTED, E_INVALIDARG otherwise.
    HRESULT resolve(const VARIANT& child, AccessibleNode& node) const;
    // The common start of a question about one node: the answer is emptied
    // first, so a refused call never leaves the client anything to free.
    HRESULT start(const VARIANT& child, VARIANT* answer, AccessibleNode& node) const;
    HRESULT start(const VARIANT& child, BSTR* answer, AccessibleNode& node) const;
    // A text of the picture as a BSTR (through the one UTF-16 helper).
    HRESULT answer_text(const std::string& text, BSTR* out) const;
    // What reading `text` of a node gives: S_FALSE with null when it has none.
    HRESULT answer_optional_text(VARIANT child, BSTR* out,
                                 bool (*read)(const AccessibleNode&, const AccessibleReadings&,
                                              std::string&));

    LONG references_ = 1;
    HWND window_;
    const AccessibleReadings* readings_;
};
