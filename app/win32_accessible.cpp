#include "app/win32_accessible.h"

#include "platform/win32_platform.h"
#include "text/win32_wide_text.h"

static_assert(static_cast<long>(Navigation::kNext) == NAVDIR_NEXT &&
                  static_cast<long>(Navigation::kPrevious) == NAVDIR_PREVIOUS &&
                  static_cast<long>(Navigation::kFirstChild) == NAVDIR_FIRSTCHILD &&
                  static_cast<long>(Navigation::kLastChild) == NAVDIR_LASTCHILD,
              "directions are handed on as they come");

namespace {

void SetEmpty(VARIANT& variant) { variant.vt = VT_EMPTY; }

void SetChild(VARIANT& variant, int32_t child) {
    variant.vt = VT_I4;
    variant.lVal = child;
}

bool ValueOf(const AccessibleNode& node, const AccessibleReadings& readings, std::string& text) {
    return AccessibleValue(node, readings, text);
}

bool DescriptionOf(const AccessibleNode& node, const AccessibleReadings& readings,
                   std::string& text) {
    return AccessibleDescription(node, readings, text);
}

// The meter offers no help, no shortcut and no action to any of its parts
// (get_accHelp answers for all three).
bool Nothing(const AccessibleNode&, const AccessibleReadings&, std::string&) { return false; }

}  // namespace

GadgetAccessible::GadgetAccessible(HWND window, const AccessibleReadings* readings)
    : window_(window), readings_(readings) {}

void GadgetAccessible::disconnect() {
    window_ = nullptr;
    readings_ = nullptr;
}

HRESULT GadgetAccessible::QueryInterface(REFIID interface_id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(interface_id, __uuidof(IUnknown)) ||
        IsEqualIID(interface_id, __uuidof(IDispatch)) ||
        IsEqualIID(interface_id, __uuidof(IAccessible))) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// Calls come in on the window's thread only (COM's single-threaded apartment
// hands them over through its message loop), yet the count is kept with
// interlocked operations, as COM expects of any object.
ULONG GadgetAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG GadgetAccessible::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT GadgetAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT GadgetAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT GadgetAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT GadgetAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*) {
    return E_NOTIMPL;
}

HRESULT GadgetAccessible::resolve(const VARIANT& child, AccessibleNode& node) const {
    if (readings_ == nullptr) return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    return NodeForChild(child.lVal, readings_->shown_processors(), node) ? S_OK : E_INVALIDARG;
}

HRESULT GadgetAccessible::start(const VARIANT& child, VARIANT* answer,
                                AccessibleNode& node) const {
    if (answer == nullptr) return E_POINTER;
    SetEmpty(*answer);
    return resolve(child, node);
}

HRESULT GadgetAccessible::start(const VARIANT& child, BSTR* answer, AccessibleNode& node) const {
    if (answer == nullptr) return E_POINTER;
    *answer = nullptr;
    return resolve(child, node);
}

HRESULT GadgetAccessible::answer_text(const std::string& text, BSTR* out) const {
    const auto alloc_string = platform.accessibility.alloc_string;
    if (alloc_string == nullptr) return E_OUTOFMEMORY;
    *out = alloc_string(WideFromShiftJis(text).c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT GadgetAccessible::answer_optional_text(
    VARIANT child, BSTR* out,
    bool (*read)(const AccessibleNode&, const AccessibleReadings&, std::string&)) {
    AccessibleNode node;
    const HRESULT found = start(child, out, node);
    if (found != S_OK) return found;
    std::string text;
    if (!read(node, *readings_, text)) return S_FALSE;
    return answer_text(text, out);
}

HRESULT GadgetAccessible::get_accParent(IDispatch** parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (readings_ == nullptr) return RPC_E_DISCONNECTED;
    // The system's object of the whole window, as for any window's client.
    const auto object_from_window = platform.accessibility.object_from_window;
    if (object_from_window == nullptr ||
        FAILED(object_from_window(window_, static_cast<DWORD>(OBJID_WINDOW),
                                            __uuidof(IDispatch),
                                            reinterpret_cast<void**>(parent)))) {
        *parent = nullptr;
        return S_FALSE;
    }
    return S_OK;
}

HRESULT GadgetAccessible::get_accChildCount(long* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    if (readings_ == nullptr) return RPC_E_DISCONNECTED;
    *count = AccessibleChildCount(readings_->shown_processors());
    return S_OK;
}

HRESULT GadgetAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    AccessibleNode node;
    const HRESULT found = resolve(child, node);
    if (found != S_OK) return found;
    // The client is no child of itself; the children are simple elements that
    // the client answers for.
    return node.kind == AccessibleKind::kClient ? E_INVALIDARG : S_FALSE;
}

HRESULT GadgetAccessible::get_accName(VARIANT child, BSTR* name) {
    AccessibleNode node;
    const HRESULT found = start(child, name, node);
    if (found != S_OK) return found;
    return answer_text(AccessibleName(node, *readings_), name);
}

HRESULT GadgetAccessible::get_accValue(VARIANT child, BSTR* value) {
    return answer_optional_text(child, value, ValueOf);
}

HRESULT GadgetAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return answer_optional_text(child, description, DescriptionOf);
}

HRESULT GadgetAccessible::get_accRole(VARIANT child, VARIANT* role) {
    AccessibleNode node;
    const HRESULT found = start(child, role, node);
    if (found != S_OK) return found;
    // The memory's child is its bar as much as its figures: a bar of its load
    // whose value is what is still free.
    SetChild(*role, node.kind == AccessibleKind::kClient ? ROLE_SYSTEM_CLIENT
                                                         : ROLE_SYSTEM_PROGRESSBAR);
    return S_OK;
}

HRESULT GadgetAccessible::get_accState(VARIANT child, VARIANT* state) {
    AccessibleNode node;
    const HRESULT found = start(child, state, node);
    if (found != S_OK) return found;
    int32_t flags = node.kind == AccessibleKind::kClient ? 0 : STATE_SYSTEM_READONLY;
    // Folded into the tray or auto-hidden, nothing of it is on the screen.
    if (!readings_->shown()) flags |= STATE_SYSTEM_INVISIBLE;
    if (node.kind == AccessibleKind::kClient && window_ != nullptr && GetFocus() == window_) {
        flags |= STATE_SYSTEM_FOCUSED;
    }
    SetChild(*state, flags);
    return S_OK;
}

HRESULT GadgetAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return answer_optional_text(child, help, Nothing);
}

HRESULT GadgetAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (file == nullptr || topic == nullptr) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    AccessibleNode node;
    const HRESULT found = resolve(child, node);
    return found != S_OK ? found : S_FALSE;
}

HRESULT GadgetAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return get_accHelp(child, shortcut);
}

HRESULT GadgetAccessible::get_accFocus(VARIANT* focus) {
    if (focus == nullptr) return E_POINTER;
    SetEmpty(*focus);
    if (readings_ == nullptr) return RPC_E_DISCONNECTED;
    if (window_ == nullptr || GetFocus() != window_) return S_FALSE;
    SetChild(*focus, kClientChild);
    return S_OK;
}

HRESULT GadgetAccessible::get_accSelection(VARIANT* selection) {
    if (selection == nullptr) return E_POINTER;
    SetEmpty(*selection);
    return readings_ == nullptr ? RPC_E_DISCONNECTED : S_FALSE;
}

HRESULT GadgetAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return get_accHelp(child, action);
}

// Nothing of the meter can be selected or acted on.
HRESULT GadgetAccessible::accSelect(long, VARIANT child) {
    AccessibleNode node;
    const HRESULT found = resolve(child, node);
    return found != S_OK ? found : DISP_E_MEMBERNOTFOUND;
}

HRESULT GadgetAccessible::accLocation(long* left, long* top, long* width, long* height,
                                      VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    AccessibleNode node;
    const HRESULT found = resolve(child, node);
    if (found != S_OK) return found;
    const ScreenBox box = AccessibleBox(node, *readings_);
    *left = box.left;
    *top = box.top;
    *width = box.width;
    *height = box.height;
    return S_OK;
}

HRESULT GadgetAccessible::accNavigate(long direction, VARIANT from, VARIANT* end) {
    AccessibleNode node;
    const HRESULT found = start(from, end, node);
    if (found != S_OK) return found;
    if (direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
    // Up, down, left and right: the slots are read in order, with no finer map of them.
    if (direction < static_cast<long>(Navigation::kNext)) return S_FALSE;
    const int32_t reached = NavigateChildren(from.lVal, static_cast<Navigation>(direction),
                                             readings_->shown_processors());
    if (reached < 0) return S_FALSE;
    SetChild(*end, reached);
    return S_OK;
}

HRESULT GadgetAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr) return E_POINTER;
    SetEmpty(*child);
    if (readings_ == nullptr) return RPC_E_DISCONNECTED;
    const int32_t found = AccessibleChildAt(x, y, *readings_);
    if (found < 0) return S_FALSE;
    SetChild(*child, found);
    return S_OK;
}

HRESULT GadgetAccessible::accDoDefaultAction(VARIANT child) { return accSelect(0, child); }

HRESULT GadgetAccessible::put_accName(VARIANT, BSTR) {
    return readings_ == nullptr ? RPC_E_DISCONNECTED : E_NOTIMPL;
}

HRESULT GadgetAccessible::put_accValue(VARIANT, BSTR) {
    return readings_ == nullptr ? RPC_E_DISCONNECTED : E_NOTIMPL;
}
