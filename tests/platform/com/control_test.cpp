// The ordinary behaviour of a control: verbs and in-place activation with and without a window,
// the window's region, drawing into a container's device context, messages of a windowless
// control, view and close advice, extents, and quick activation.

#include <gtest/gtest.h>

#include <com/com.h>

#include <win32/windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// The container's side: a site in a window of its own that writes down what it is told.
class Site final : public com::RefCounted<IOleClientSite, IOleInPlaceSiteWindowless, IAdviseSink> {
public:
    explicit Site(HWND window) : m_window(window) {}

    bool grantsWindowless = true;
    std::vector<std::string> calls;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        auto* inPlace = static_cast<IOleInPlaceSiteWindowless*>(this);
        return com::answerQuery(riid, object, static_cast<IOleClientSite*>(this),
                                {{IID_IOleClientSite, static_cast<IOleClientSite*>(this)},
                                 {IID_IOleWindow, inPlace},
                                 {IID_IOleInPlaceSite, inPlace},
                                 {IID_IOleInPlaceSiteWindowless, inPlace},
                                 {IID_IAdviseSink, static_cast<IAdviseSink*>(this)}});
    }
    HRESULT GetWindow(HWND* window) override
    {
        *window = m_window;
        return S_OK;
    }
    HRESULT CanInPlaceActivate() override { return S_OK; }
    HRESULT OnInPlaceActivate() override { return note("activated"); }
    HRESULT OnInPlaceDeactivate() override { return note("deactivated"); }
    HRESULT CanWindowlessActivate() override { return grantsWindowless ? S_OK : S_FALSE; }
    HRESULT GetCapture() override { return S_FALSE; }
    HRESULT SetCapture(BOOL capture) override { return note(capture ? "capture" : "release"); }
    HRESULT GetFocus() override { return S_FALSE; }
    HRESULT SetFocus(BOOL focus) override { return note(focus ? "focus" : "blur"); }
    HRESULT InvalidateRect(LPCRECT rect, BOOL) override { return note(rect ? "invalidate part" : "invalidate"); }
    void OnViewChange(DWORD aspect, LONG) override { note("view changed " + std::to_string(aspect)); }
    void OnClose() override { note("closed"); }

private:
    HRESULT note(const std::string& call)
    {
        calls.push_back(call);
        return S_OK;
    }
    HWND m_window;
};

// A connection point that only counts its sinks.
class Point final : public com::RefCounted<IConnectionPoint> {
public:
    int sinks = 0;
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        return com::answerQuery(riid, object, this, {{IID_IConnectionPoint, this}});
    }
    HRESULT GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    HRESULT Advise(IUnknown*, DWORD* cookie) override
    {
        *cookie = 40 + ++sinks;
        return S_OK;
    }
    HRESULT Unadvise(DWORD) override { return S_OK; }
    HRESULT EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

const IID kEvents = {0x0D9B1E57, 0x2C44, 0x4F0A, {0x9E, 0x31, 0x7A, 0x55, 0x0C, 0x18, 0xB2, 0x6F}};
const DWORD kMisc = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT;

// A control over the ordinary behaviour: it writes down what it draws and handles WM_KEYDOWN.
class Control final : public com::ControlBase, public IConnectionPointContainer, public IProvideClassInfo2 {
public:
    Control() : ControlBase(0x56000000, kMisc, VIEWSTATUS_OPAQUE), m_point(com::ComPtr<Point>::adopt(new Point())) {}

    std::vector<std::string> drawn;
    std::vector<UINT> messages;
    Point& point() { return *m_point; }
    using ControlBase::eventsFrozen;
    using ControlBase::fireViewChange;
    using ControlBase::setWindowOnly;
    using ControlBase::windowless;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        return com::answerQuery(riid, object, static_cast<IOleObject*>(this),
                                {{IID_IOleObject, static_cast<IOleObject*>(this)},
                                 {IID_IOleWindow, static_cast<IOleInPlaceObjectWindowless*>(this)},
                                 {IID_IOleInPlaceObject, static_cast<IOleInPlaceObjectWindowless*>(this)},
                                 {IID_IOleInPlaceObjectWindowless, static_cast<IOleInPlaceObjectWindowless*>(this)},
                                 {IID_IViewObject, static_cast<IViewObjectEx*>(this)},
                                 {IID_IViewObject2, static_cast<IViewObjectEx*>(this)},
                                 {IID_IViewObjectEx, static_cast<IViewObjectEx*>(this)},
                                 {IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
                                 {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                                 {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)}});
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        *point = nullptr;
        if (riid != kEvents)
            return CONNECT_E_NOCONNECTION;
        *point = m_point.get();
        m_point->AddRef();
        return S_OK;
    }
    HRESULT GetClassInfo(ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetGUID(DWORD, GUID* guid) override
    {
        *guid = kEvents;
        return S_OK;
    }

protected:
    HRESULT OnDraw(const com::DrawInfo& info) override
    {
        drawn.push_back(std::to_string(info.bounds.left) + "," + std::to_string(info.bounds.top) + "," +
                        std::to_string(info.bounds.right) + "," + std::to_string(info.bounds.bottom));
        return S_OK;
    }
    bool processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        messages.push_back(message);
        if (message == WM_KEYDOWN) {
            result = 7;
            return true;
        }
        return controlMessageMap(hwnd, message, wParam, lParam, result);
    }

private:
    ~Control() override = default;
    ULONG m_refs = 1;
    com::ComPtr<Point> m_point;
};

class ControlTest : public testing::Test {
protected:
    ControlTest()
        : window(CreateWindowExW(0, L"STATIC", L"container", WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr,
                                 nullptr)),
          site(com::ComPtr<Site>::adopt(new Site(window))), control(com::ComPtr<Control>::adopt(new Control()))
    {
    }
    ~ControlTest() override
    {
        control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
        control.reset();
        DestroyWindow(window);
    }
    IOleObject* object() { return static_cast<IOleObject*>(control.get()); }
    IViewObjectEx* view() { return static_cast<IViewObjectEx*>(control.get()); }
    IOleInPlaceObjectWindowless* inPlace() { return static_cast<IOleInPlaceObjectWindowless*>(control.get()); }
    HRESULT activate(LONG verb = OLEIVERB_INPLACEACTIVATE)
    {
        object()->SetClientSite(site.get());
        return object()->DoVerb(verb, site.get(), window, &kPosition);
    }

    static constexpr RECT kPosition{10, 20, 310, 170};
    HWND window;
    com::ComPtr<Site> site;
    com::ComPtr<Control> control;
};

struct VerbCase {
    const char* name;
    LONG verb;
    HRESULT hr;
    bool active;
};

void PrintTo(const VerbCase& c, std::ostream* os)
{
    *os << c.name;
}

class Verbs : public ControlTest, public testing::WithParamInterface<VerbCase> {};

TEST_P(Verbs, ActivateInPlaceOrNot)
{
    EXPECT_EQ(activate(GetParam().verb), GetParam().hr);
    EXPECT_EQ(site->calls, GetParam().active ? std::vector<std::string>{"activated"} : std::vector<std::string>{});
}

const VerbCase kVerbs[] = {
    {"Primary", OLEIVERB_PRIMARY, S_OK, true},
    {"Show", OLEIVERB_SHOW, S_OK, true},
    {"InPlace", OLEIVERB_INPLACEACTIVATE, S_OK, true},
    {"UserInterface", OLEIVERB_UIACTIVATE, S_OK, true},
    {"Hide", OLEIVERB_HIDE, S_OK, false},
    {"DiscardUndo", OLEIVERB_DISCARDUNDOSTATE, S_OK, false},
    {"Open", OLEIVERB_OPEN, E_NOTIMPL, false},
    {"Properties", OLEIVERB_PROPERTIES, E_NOTIMPL, false},
    {"OwnVerb", 1, E_NOTIMPL, false},
};
INSTANTIATE_TEST_SUITE_P(Table, Verbs, testing::ValuesIn(kVerbs),
                         [](const testing::TestParamInfo<VerbCase>& info) { return std::string(info.param.name); });

struct ActivationCase {
    const char* name;
    bool windowOnly;
    bool siteGrants;
    bool windowless;
};

void PrintTo(const ActivationCase& c, std::ostream* os)
{
    *os << c.name;
}

class Activation : public ControlTest, public testing::WithParamInterface<ActivationCase> {};

TEST_P(Activation, WindowlessOnlyWhenBothSidesAllowIt)
{
    const ActivationCase& c = GetParam();
    control->setWindowOnly(c.windowOnly);
    site->grantsWindowless = c.siteGrants;
    ASSERT_EQ(activate(), S_OK);
    EXPECT_EQ(control->windowless(), c.windowless);
    HWND own = nullptr;
    EXPECT_EQ(inPlace()->GetWindow(&own), c.windowless ? E_FAIL : S_OK);
    EXPECT_EQ(own != nullptr, !c.windowless);
    if (own) {
        EXPECT_EQ(GetParent(own), window);
        RECT rect{};
        GetClientRect(own, &rect);
        EXPECT_EQ(rect.right, 300);
        EXPECT_EQ(rect.bottom, 150);
    }
    EXPECT_EQ(activate(), S_OK);  // already active: nothing more
    EXPECT_EQ(inPlace()->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(own && IsWindow(own));
    EXPECT_EQ(site->calls, (std::vector<std::string>{"activated", "deactivated"}));
}

const ActivationCase kActivations[] = {
    {"WindowOnlyControl", true, true, false},
    {"SiteRefuses", false, false, false},
    {"Windowless", false, true, true},
};
INSTANTIATE_TEST_SUITE_P(Table, Activation, testing::ValuesIn(kActivations),
                         [](const testing::TestParamInfo<ActivationCase>& info) {
                             return std::string(info.param.name);
                         });

struct RectsCase {
    const char* name;
    RECT clip;
    bool hasRegion;
    RECT region;  // in window coordinates
};

void PrintTo(const RectsCase& c, std::ostream* os)
{
    *os << c.name;
}

class ObjectRects : public ControlTest, public testing::WithParamInterface<RectsCase> {};

TEST_P(ObjectRects, AWindowShowsOnlyItsClippedPart)
{
    const RectsCase& c = GetParam();
    ASSERT_EQ(activate(), S_OK);
    HWND own = nullptr;
    inPlace()->GetWindow(&own);
    const RECT moved{50, 60, 250, 160};
    ASSERT_EQ(inPlace()->SetObjectRects(&moved, &c.clip), S_OK);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(own, probe) != RGN_ERROR, c.hasRegion);
    if (c.hasRegion) {
        RECT box{};
        GetRgnBox(probe, &box);
        EXPECT_TRUE(EqualRect(&box, &c.region)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
    }
    DeleteObject(probe);
    RECT screen{}, parent{};
    GetWindowRect(own, &screen);
    GetWindowRect(window, &parent);
    EXPECT_EQ(screen.left - parent.left, 50);
    EXPECT_EQ(screen.bottom - screen.top, 100);
    EXPECT_EQ(inPlace()->SetObjectRects(&moved, nullptr), E_POINTER);
}

const RectsCase kRects[] = {
    {"AllShown", {0, 0, 800, 600}, false, {}},
    {"ClippedOnTheLeft", {100, 0, 800, 600}, true, {50, 0, 200, 100}},
    {"ClippedAtTheBottom", {0, 0, 800, 120}, true, {0, 0, 200, 60}},
    {"NothingShown", {300, 300, 400, 400}, false, {}},
};
INSTANTIATE_TEST_SUITE_P(Table, ObjectRects, testing::ValuesIn(kRects),
                         [](const testing::TestParamInfo<RectsCase>& info) { return std::string(info.param.name); });

TEST_F(ControlTest, DrawsIntoTheContainersDeviceContext)
{
    control->setWindowOnly(false);
    HDC dc = GetDC(window);
    const RECTL bounds{1, 2, 3, 4};
    const struct {
        DWORD aspect;
        HDC dc;
        const RECTL* bounds;
        HRESULT hr;
        const char* drawn;
    } cases[] = {
        {DVASPECT_CONTENT, dc, &bounds, S_OK, "1,2,3,4"},
        {DVASPECT_DOCPRINT, dc, &bounds, S_OK, "1,2,3,4"},
        {DVASPECT_ICON, dc, &bounds, DV_E_DVASPECT, nullptr},
        {DVASPECT_CONTENT, nullptr, &bounds, E_INVALIDARG, nullptr},
        {DVASPECT_CONTENT, dc, nullptr, E_INVALIDARG, nullptr},  // where, when not in place?
    };
    for (const auto& c : cases) {
        control->drawn.clear();
        EXPECT_EQ(view()->Draw(c.aspect, -1, nullptr, nullptr, nullptr, c.dc, c.bounds, nullptr, nullptr, 0), c.hr);
        EXPECT_EQ(control->drawn, c.drawn ? std::vector<std::string>{c.drawn} : std::vector<std::string>{});
    }
    // In place without a window, it is drawn where it stands.
    ASSERT_EQ(activate(), S_OK);
    control->drawn.clear();
    EXPECT_EQ(view()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(control->drawn, (std::vector<std::string>{"10,20,310,170"}));
    ReleaseDC(window, dc);
}

TEST_F(ControlTest, ItsOwnWindowPaintsThroughTheSameDrawing)
{
    ASSERT_EQ(activate(), S_OK);
    HWND own = nullptr;
    inPlace()->GetWindow(&own);
    InvalidateRect(own, nullptr, TRUE);
    UpdateWindow(own);
    EXPECT_EQ(control->drawn, (std::vector<std::string>{"0,0,300,150"}));
}

TEST_F(ControlTest, AWindowlessControlGetsTheContainersMessages)
{
    LRESULT result = -1;
    EXPECT_EQ(inPlace()->OnWindowMessage(WM_KEYDOWN, 'A', 0, &result), S_OK);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(inPlace()->OnWindowMessage(WM_LBUTTONDOWN, 0, 0, &result), S_FALSE);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(inPlace()->OnWindowMessage(WM_PAINT, 0, 0, &result), S_FALSE);  // no window to paint
    EXPECT_EQ(inPlace()->OnWindowMessage(WM_KEYUP, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(control->messages, (std::vector<UINT>{WM_KEYDOWN, WM_LBUTTONDOWN, WM_PAINT}));
}

TEST_F(ControlTest, ViewChangesReachTheSinkUnlessFrozen)
{
    IAdviseSink* sink = site.get();
    EXPECT_EQ(view()->SetAdvise(DVASPECT_CONTENT, ADVF_PRIMEFIRST, sink), S_OK);
    EXPECT_EQ(site->calls, (std::vector<std::string>{"view changed 1"}));
    DWORD aspects = 0, advf = 0;
    com::ComPtr<IAdviseSink> held;
    view()->GetAdvise(&aspects, &advf, held.put());
    EXPECT_EQ(held.get(), sink);
    EXPECT_EQ(advf, static_cast<DWORD>(ADVF_PRIMEFIRST));

    DWORD first = 0, second = 0;
    ASSERT_EQ(view()->Freeze(DVASPECT_CONTENT, -1, nullptr, &first), S_OK);
    ASSERT_EQ(view()->Freeze(DVASPECT_CONTENT, -1, nullptr, &second), S_OK);
    control->fireViewChange();
    control->fireViewChange();
    EXPECT_EQ(view()->Unfreeze(first), S_OK);
    EXPECT_EQ(site->calls.size(), 1u);  // still frozen
    EXPECT_EQ(view()->Unfreeze(first), OLE_E_NOCONNECTION);
    EXPECT_EQ(view()->Unfreeze(second), S_OK);
    EXPECT_EQ(site->calls, (std::vector<std::string>{"view changed 1", "view changed 1"}));  // one for both
    EXPECT_EQ(view()->Freeze(DVASPECT_ICON, -1, nullptr, &first), DV_E_DVASPECT);

    // Only once: the sink is let go after its notice.
    view()->SetAdvise(DVASPECT_CONTENT, ADVF_ONLYONCE, sink);
    control->fireViewChange();
    control->fireViewChange();
    EXPECT_EQ(site->calls.size(), 3u);
    view()->GetAdvise(nullptr, nullptr, held.put());
    EXPECT_FALSE(held);

    // Active without a window, a change asks the site for a repaint instead.
    control->setWindowOnly(false);
    ASSERT_EQ(activate(), S_OK);
    control->fireViewChange();
    EXPECT_EQ(site->calls.back(), "invalidate");
}

TEST_F(ControlTest, ExtentsAreKeptInHimetric)
{
    SIZEL size{};
    ASSERT_EQ(object()->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5080);  // two inches until told otherwise
    view()->SetAdvise(DVASPECT_CONTENT, 0, site.get());
    SIZEL wanted{7938, 3969};
    EXPECT_EQ(object()->SetExtent(DVASPECT_ICON, &wanted), DV_E_DVASPECT);
    EXPECT_EQ(object()->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(static_cast<IQuickActivate*>(control.get())->SetContentExtent(&wanted), S_OK);
    EXPECT_EQ(object()->SetExtent(DVASPECT_CONTENT, &wanted), S_OK);  // the same: no change to tell
    EXPECT_EQ(site->calls, (std::vector<std::string>{"view changed 1"}));  // recomposed on resize
    ASSERT_EQ(view()->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size), S_OK);
    EXPECT_EQ(size.cy, 3969);
    ASSERT_EQ(static_cast<IQuickActivate*>(control.get())->GetContentExtent(&size), S_OK);
    EXPECT_EQ(size.cx, 7938);
    DWORD misc = 0;
    object()->GetMiscStatus(DVASPECT_CONTENT, &misc);
    EXPECT_EQ(misc, kMisc);
}

TEST_F(ControlTest, CloseDeactivatesAndTellsTheSinks)
{
    DWORD first = 0, second = 0;
    ASSERT_EQ(object()->Advise(site.get(), &first), S_OK);
    ASSERT_EQ(object()->Advise(site.get(), &second), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(object()->Advise(nullptr, &first), E_INVALIDARG);
    EXPECT_EQ(object()->Unadvise(second), S_OK);
    EXPECT_EQ(object()->Unadvise(second), OLE_E_NOCONNECTION);
    ASSERT_EQ(activate(), S_OK);
    EXPECT_EQ(object()->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site->calls, (std::vector<std::string>{"activated", "deactivated", "closed"}));
}

TEST_F(ControlTest, QuickActivationSitesAndConnectsInOneCall)
{
    auto* quick = static_cast<IQuickActivate*>(control.get());
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site.get();
    container.pAdviseSink = site.get();
    auto events = com::ComPtr<Point>::adopt(new Point());  // any object will do as a sink
    container.pUnkEventSink = static_cast<IConnectionPoint*>(events.get());
    container.pPropertyNotifySink = nullptr;
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    EXPECT_EQ(quick->QuickActivate(nullptr, &answer), E_POINTER);
    answer.cbSize = 4;
    EXPECT_EQ(quick->QuickActivate(&container, &answer), E_INVALIDARG);
    answer.cbSize = sizeof answer;
    ASSERT_EQ(quick->QuickActivate(&container, &answer), S_OK);

    com::ComPtr<IOleClientSite> sited;
    object()->GetClientSite(sited.put());
    EXPECT_EQ(sited.get(), static_cast<IOleClientSite*>(site.get()));
    com::ComPtr<IAdviseSink> advised;
    view()->GetAdvise(nullptr, nullptr, advised.put());
    EXPECT_EQ(advised.get(), static_cast<IAdviseSink*>(site.get()));
    EXPECT_EQ(answer.dwEventCookie, 41u);  // through the default source's connection point
    EXPECT_EQ(control->point().sinks, 1);
    EXPECT_EQ(answer.dwPropNotifyCookie, 0u);  // the control has no such point
    EXPECT_EQ(answer.dwMiscStatus, kMisc);
    EXPECT_EQ(answer.dwViewStatus, static_cast<DWORD>(VIEWSTATUS_OPAQUE));
}

TEST_F(ControlTest, HitsInsideTheBounds)
{
    const RECT bounds{10, 10, 20, 20};
    const struct {
        POINT point;
        RECT area;
        DWORD hit;
    } cases[] = {
        {{10, 10}, {0, 0, 11, 11}, HITRESULT_HIT},
        {{19, 19}, {19, 19, 30, 30}, HITRESULT_HIT},
        {{20, 15}, {20, 0, 30, 30}, HITRESULT_OUTSIDE},
        {{5, 5}, {0, 0, 10, 10}, HITRESULT_OUTSIDE},
    };
    for (const auto& c : cases) {
        DWORD point = 9, area = 9;
        EXPECT_EQ(view()->QueryHitPoint(DVASPECT_CONTENT, &bounds, c.point, 0, &point), S_OK);
        EXPECT_EQ(view()->QueryHitRect(DVASPECT_CONTENT, &bounds, &c.area, 0, &area), S_OK);
        EXPECT_EQ(point, c.hit) << c.point.x << "," << c.point.y;
        EXPECT_EQ(area, c.hit) << c.point.x << "," << c.point.y;
    }
    DWORD hit = 0;
    EXPECT_EQ(view()->QueryHitPoint(DVASPECT_ICON, &bounds, POINT{15, 15}, 0, &hit), DV_E_DVASPECT);
    DWORD status = 0;
    view()->GetViewStatus(&status);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE));
}

TEST_F(ControlTest, EventFreezesNest)
{
    auto* ole = static_cast<IOleControl*>(control.get());
    ole->FreezeEvents(TRUE);
    ole->FreezeEvents(TRUE);
    ole->FreezeEvents(FALSE);
    EXPECT_TRUE(control->eventsFrozen());
    ole->FreezeEvents(FALSE);
    ole->FreezeEvents(FALSE);  // one thaw too many changes nothing
    EXPECT_FALSE(control->eventsFrozen());
    ole->FreezeEvents(TRUE);
    EXPECT_TRUE(control->eventsFrozen());
}

}  // namespace
