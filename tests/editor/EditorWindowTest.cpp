// The editor window in a private X server, in the ways Linux hosts open, drive and close it.
// The bundle here carries a test layout: a dark backdrop and value bars for Cutoff (0),
// Resonance (1) and Mix (5) at x 100-200, 300-400 and 500-600, y 100-400.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <chrono>
#include <cmath>
#include <GL/glx.h>
#include <X11/Xatom.h>

#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/base/keycodes.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/editor/EditorSession.h"

using namespace Steinberg;

namespace quendaris::test {
namespace {

constexpr Rgba kBackdrop{24, 26, 30, 255};
constexpr Rgba kBar{230, 120, 30, 255};

bool Near(const Rgba& a, const Rgba& b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::vector<RecordingHandler::Edit> EditsOf(const RecordingHandler& handler, ParamID id) {
    std::vector<RecordingHandler::Edit> edits;
    for (const auto& edit : handler.edits)
        if (edit.id == id)
            edits.push_back(edit);
    return edits;
}

// The edits as letters with runs of performs folded into one: "bpe" is one whole gesture.
std::string Kinds(const std::vector<RecordingHandler::Edit>& edits) {
    std::string kinds;
    for (const auto& edit : edits)
        if (!(edit.kind == 'p' && !kinds.empty() && kinds.back() == 'p'))
            kinds += edit.kind;
    return kinds;
}

// Pressed at a third of the Cutoff bar, dragged up by a third of it, released.
void DragCutoffUpByAThird(EditorSession& session) {
    session.window.MoveTo(150, 300);
    session.Pump(50);
    session.window.Press();
    session.Pump(50);
    session.window.MoveTo(150, 200);
    session.Pump(50);
    session.window.Release();
}

TEST(EditorWindow, DrawsItsFirstFrameWithoutInputAndRegistersWithTheRunLoop) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.window.ChildCount(), 1);
    EXPECT_EQ(session.loop.HandlerCount(), 1);
    EXPECT_GE(session.loop.TimerCount(), 1);
    EXPECT_TRUE(session.loop.HasTimer(16));
    ASSERT_TRUE(session.PumpUntilDrawn());
    session.Pump(100);
    const Picture picture = session.Capture();
    EXPECT_TRUE(Near(picture.At(20, 20), kBackdrop));
    EXPECT_TRUE(Near(picture.At(150, 395), kBar) || Near(picture.At(150, 395), {40, 44, 52, 255}));
    picture.WritePng(ShotPath("first-frame"));
    session.Close();
    EXPECT_EQ(session.loop.HandlerCount(), 0);
    EXPECT_EQ(session.loop.TimerCount(), 0);
    EXPECT_EQ(session.window.ChildCount(), 0);
}

TEST(EditorWindow, PressDragReleaseReachTheHostAsOneEdit) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    DragCutoffUpByAThird(session);
    session.Pump(100);
    const auto edits = EditsOf(session.handler, 0);
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().kind, 'b');
    EXPECT_EQ(edits.back().kind, 'e');
    EXPECT_EQ(Kinds(edits), "bpe");
    // Pressed at 1/3 of the bar, dragged up by a third of it.
    EXPECT_NEAR(edits[1].value, 1.0 / 3.0, 0.02);
    EXPECT_NEAR(edits[edits.size() - 2].value, 2.0 / 3.0, 0.02);
    EXPECT_NEAR(session.effect.Normalized(0), 2.0 / 3.0, 0.02);
    // The bar shows the value in the next frames.
    session.Pump(100);
    const Picture picture = session.Capture();
    picture.WritePng(ShotPath("after-drag"));
    EXPECT_TRUE(Near(picture.At(150, 250), kBar));
    EXPECT_TRUE(Near(picture.At(150, 150), {40, 44, 52, 255}));
}

// The editor's own window, the one child of the host's.
Window EditorChild(const HostWindow& host) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window child = 0;
    if (XQueryTree(host.Connection(), host.Id(), &root, &parent, &children, &count) && count > 0)
        child = children[0];
    if (children)
        XFree(children);
    return child;
}

// A frame shows the server only the part it redrew: a mark put on the window behind the
// editor's back stays through the bar's repaints. The window then shows what a whole repaint
// (after an exposure) shows everywhere but on the mark.
TEST(EditorWindow, RepaintsReachTheScreenAsTheirOwnRectangles) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.PumpUntilDrawn());
    session.Pump(100);
    Display* display = session.window.Connection();
    const Window editor = EditorChild(session.window);
    ASSERT_NE(editor, 0u);
    GC gc = XCreateGC(display, editor, 0, nullptr);
    XSetForeground(display, gc, 0xFFFFFF);
    XFillRectangle(display, editor, gc, 700, 500, 20, 20);
    XFreeGC(display, gc);
    XSync(display, False);

    DragCutoffUpByAThird(session);
    session.Pump(150);
    const Picture partial = session.Capture();
    partial.WritePng(ShotPath("partial-repaint"));
    EXPECT_TRUE(Near(partial.At(150, 250), kBar));
    EXPECT_TRUE(Near(partial.At(150, 150), {40, 44, 52, 255}));
    EXPECT_TRUE(Near(partial.At(710, 510), {255, 255, 255, 255}));

    XClearArea(display, editor, 0, 0, 0, 0, True);
    XSync(display, False);
    session.Pump(150);
    const Picture whole = session.Capture();
    EXPECT_TRUE(Near(whole.At(710, 510), kBackdrop));
    int differing = 0;
    for (int y = 0; y < whole.height; ++y) {
        for (int x = 0; x < whole.width; ++x) {
            const bool onMark = x >= 700 && x < 720 && y >= 500 && y < 520;
            if (!onMark && !Near(whole.At(x, y), partial.At(x, y), 0))
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(EditorWindow, WheelNotchesAndDoubleClickFromTimeAndDistance) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.MoveTo(550, 250);
    session.Pump(30);
    const double before = session.effect.Normalized(5);
    session.window.Press(5);
    session.window.Release(5);
    session.Pump(60);
    EXPECT_NEAR(session.effect.Normalized(5), before - 0.1, 1e-6);
    session.window.Press(4);
    session.window.Release(4);
    session.window.Press(4);
    session.window.Release(4);
    session.Pump(60);
    EXPECT_NEAR(session.effect.Normalized(5), std::min(1.0, before + 0.1), 1e-6);

    // Two clicks 4 px apart at once: a double click, which opens the value box.
    session.window.Click(550, 250);
    session.window.Click(553, 250);
    session.Pump(60);
    Picture withBox = session.Capture();
    session.Pump(60);
    withBox = session.Capture();
    withBox.WritePng(ShotPath("value-box"));
    EXPECT_TRUE(Near(withBox.At(560, 422), {255, 255, 255, 255}));
    session.window.Key(XK_Escape);
    session.Pump(80);
    EXPECT_FALSE(Near(session.Capture().At(560, 422), {255, 255, 255, 255}));

    // Two clicks further apart are two presses.
    session.handler.edits.clear();
    session.window.Click(550, 250);
    session.window.Click(560, 250);
    session.Pump(80);
    EXPECT_EQ(Kinds(EditsOf(session.handler, 5)), "bpebpe");
}

TEST(EditorWindow, TypedValueIsFilteredAndCommittedWithReturn) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.Click(150, 250);
    session.window.Click(150, 250);
    session.Pump(60);
    session.handler.edits.clear();
    // Letters are filtered out for a number; the first typed character replaces the text.
    for (KeySym key : {XK_1, XK_a, XK_0, XK_0, XK_x, XK_0, XK_period, XK_5})
        session.window.Key(key);
    session.Pump(60);
    session.Capture().WritePng(ShotPath("value-box-typed"));
    session.window.Key(XK_Return);
    session.Pump(80);
    const auto edits = EditsOf(session.handler, 0);
    ASSERT_FALSE(edits.empty());
    EXPECT_NEAR(session.effect.Plain(0), 1000.0, 1.0);
}

TEST(EditorWindow, EscapeAndWheelCancelTheValueBox) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.Click(350, 250);
    session.window.Click(350, 250);
    session.Pump(60);
    const double before = session.effect.Normalized(1);
    session.handler.edits.clear();
    session.window.Key(XK_3);
    session.window.Press(4);
    session.window.Release(4);
    session.Pump(80);
    EXPECT_TRUE(EditsOf(session.handler, 1).empty());
    EXPECT_DOUBLE_EQ(session.effect.Normalized(1), before);
    // Escape cancels just the same (the first click of the pair is a press of its own).
    session.window.Click(350, 250);
    session.window.Click(350, 250);
    session.Pump(60);
    session.handler.edits.clear();
    session.window.Key(XK_7);
    session.window.Key(XK_Escape);
    session.Pump(80);
    EXPECT_TRUE(EditsOf(session.handler, 1).empty());
}

TEST(EditorWindow, ClickElsewhereCommitsTheValueBox) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.Click(350, 250);
    session.window.Click(350, 250);
    session.Pump(60);
    session.handler.edits.clear();
    for (KeySym key : {XK_2, XK_period, XK_5})
        session.window.Key(key);
    session.Pump(30);
    session.window.Click(700, 500);
    session.Pump(80);
    EXPECT_FALSE(EditsOf(session.handler, 1).empty());
    EXPECT_NEAR(session.effect.Plain(1), 2.5, 1e-6);
}

TEST(EditorWindow, UnhandledKeysGoBackToTheHost) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    EXPECT_EQ(session.view->onKeyDown(' ', KEY_SPACE, 0), kResultFalse);
    EXPECT_EQ(session.view->onKeyUp(' ', KEY_SPACE, 0), kResultFalse);
    // A space typed over the editor reaches the host's window.
    Display* host = session.window.Connection();
    XSelectInput(host, session.window.Id(), KeyPressMask | StructureNotifyMask);
    session.window.MoveTo(700, 500);
    session.Pump(30);
    session.window.Key(XK_space);
    session.Pump(60);
    XEvent event;
    bool forwarded = false;
    while (XCheckWindowEvent(host, session.window.Id(), KeyPressMask, &event))
        forwarded = forwarded || XLookupKeysym(&event.xkey, 0) == XK_space;
    EXPECT_TRUE(forwarded);
}

TEST(EditorWindow, RightClickOnABoundControlOpensTheHostsMenuForItsParameter) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.Click(550, 200, 3);
    session.Pump(60);
    ASSERT_EQ(session.handler.requests.size(), 1u);
    const auto& request = session.handler.requests[0];
    EXPECT_TRUE(request.hasParam);
    EXPECT_EQ(request.param, 5u);
    EXPECT_EQ(request.x, 550);
    EXPECT_EQ(request.y, 200);
    // A right click is no edit.
    EXPECT_TRUE(EditsOf(session.handler, 5).empty());
    // Nothing is asked for where no parameter is.
    session.window.Click(700, 500, 3);
    session.Pump(60);
    EXPECT_EQ(session.handler.requests.size(), 1u);
}

TEST(EditorWindow, FrameWithoutRunLoopIsRefusedWithoutTouchingTheHostWindow) {
    TestDisplay();
    XSetErrorHandler(CountingErrorHandler);
    const int errorsBefore = HostXErrorCount();
    EditorSession session;
    TestFrame loopless(nullptr);
    session.view = owned(session.effect.controller->createView("editor"));
    session.view->setFrame(&loopless);
    EXPECT_EQ(session.view->attached(session.window.Parent(), kPlatformTypeX11EmbedWindowID),
              kResultFalse);
    EXPECT_EQ(session.window.ChildCount(), 0);
    // The same view opens once a frame with a run loop comes.
    session.view->setFrame(&session.frame);
    EXPECT_EQ(session.view->attached(session.window.Parent(), kPlatformTypeX11EmbedWindowID),
              kResultOk);
    EXPECT_TRUE(session.PumpUntilDrawn());
    session.Close();
    EXPECT_EQ(HostXErrorCount(), errorsBefore);
}

TEST(EditorWindow, UnderReaperOnlyTheSpaceBarIsOffered) {
    EditorSession session({}, 800, 630, u"REAPER");
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.view->onKeyDown('a', 0, 0), kResultFalse);
    EXPECT_EQ(session.view->onKeyDown(' ', KEY_SPACE, 0), kResultFalse);
}

// Call orders seen in hosts; each must open, draw and close without X errors or leftovers.
enum class Order {
    kFrameFirst,
    kScaleBeforeAttach,
    kFrameClearedBeforeRemoved,
    kReleaseOnly,
    kLoopOnContext
};

class EditorCallOrder : public ::testing::TestWithParam<Order> {};

TEST_P(EditorCallOrder, OpensDrawsAndLeavesNothingBehind) {
    const Order order = GetParam();
    TestDisplay();
    XSetErrorHandler(CountingErrorHandler);
    const int errorsBefore = HostXErrorCount();
    {
        EditorSession session;
        IPtr<IPlugView> view = owned(session.effect.controller->createView("editor"));
        ASSERT_TRUE(view);
        TestFrame loopless(nullptr);
        ViewRect size;
        if (order == Order::kLoopOnContext) {
            LoopHostContext withLoop(u"Host", &session.loop);
            Effect effect(&withLoop);
            IPtr<IPlugView> other = owned(effect.controller->createView("editor"));
            other->setFrame(&loopless);
            ASSERT_EQ(other->attached(session.window.Parent(), kPlatformTypeX11EmbedWindowID),
                      kResultOk);
            session.Pump(100);
            EXPECT_EQ(session.window.ChildCount(), 1);
            other->removed();
            other->setFrame(nullptr);
            EXPECT_EQ(session.loop.TimerCount() + session.loop.HandlerCount(), 0);
        } else {
            if (order == Order::kScaleBeforeAttach)
                U::cast<IPlugViewContentScaleSupport>(view)->setContentScaleFactor(1.0f);
            view->setFrame(&session.frame);
            view->getSize(&size);
            ASSERT_EQ(view->attached(session.window.Parent(), kPlatformTypeX11EmbedWindowID),
                      kResultOk);
            U::cast<IPlugViewContentScaleSupport>(view)->setContentScaleFactor(1.0f);
            view->getSize(&size);
            EXPECT_EQ(size.getWidth(), 800);
            session.PumpUntilDrawn();
            if (order == Order::kFrameClearedBeforeRemoved)
                view->setFrame(nullptr);
            if (order != Order::kReleaseOnly)
                view->removed();
            view->setFrame(nullptr);
            view = nullptr;
            session.Pump(50);
            EXPECT_EQ(session.loop.TimerCount() + session.loop.HandlerCount(), 0);
            EXPECT_EQ(session.window.ChildCount(), 0);
        }
    }
    EXPECT_EQ(HostXErrorCount(), errorsBefore);
    EXPECT_EQ(XSetErrorHandler(nullptr), &CountingErrorHandler);
}

INSTANTIATE_TEST_SUITE_P(Hosts, EditorCallOrder,
                         ::testing::Values(Order::kFrameFirst, Order::kScaleBeforeAttach,
                                           Order::kFrameClearedBeforeRemoved, Order::kReleaseOnly,
                                           Order::kLoopOnContext));

TEST(EditorWindow, HandlersCalledOnceMoreAfterRemovalDoNothing) {
    TestRunLoop::Options options;
    options.callAfterUnregister = true;
    EditorSession session(options);
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    const int timerCalls = session.loop.TimerCalls();
    session.Close();
    session.Pump(50);
    EXPECT_GT(session.loop.TimerCalls(), timerCalls);
    EXPECT_EQ(session.loop.TimerCount() + session.loop.HandlerCount(), 0);
}

TEST(EditorWindow, TicksAloneKeepItAliveWhenFdCallbacksNeverCome) {
    TestRunLoop::Options options;
    options.fdCallbacks = false;
    EditorSession session(options);
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.PumpUntilDrawn());
    session.window.Click(150, 150);
    session.Pump(100);
    EXPECT_EQ(session.loop.FdCalls(), 0);
    EXPECT_EQ(Kinds(EditsOf(session.handler, 0)), "bpe");
}

TEST(EditorWindow, ClosingInTheMiddleOfADragLeavesNoGrabBehind) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.MoveTo(150, 300);
    session.window.Press();
    session.Pump(30);
    session.window.MoveTo(150, 250);
    session.Pump(30);
    session.Close();
    session.window.Release();
    // The host's own window gets the pointer again.
    Display* host = session.window.Connection();
    XSelectInput(host, session.window.Id(), ButtonPressMask);
    session.window.Click(400, 500);
    XEvent event;
    EXPECT_TRUE(XCheckWindowEvent(host, session.window.Id(), ButtonPressMask, &event));
    // The gesture was cut short, yet the host saw it begin.
    const std::string kinds = Kinds(EditsOf(session.handler, 0));
    EXPECT_EQ(kinds.substr(0, 2), "bp");
}

TEST(EditorWindow, HostWindowDestroyedBeforeRemoved) {
    TestDisplay();
    XSetErrorHandler(CountingErrorHandler);
    const int errorsBefore = HostXErrorCount();
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.window.Destroy();
    session.Pump(50);
    session.Close();
    EXPECT_EQ(HostXErrorCount(), errorsBefore);
    EXPECT_EQ(XSetErrorHandler(nullptr), &CountingErrorHandler);
    EXPECT_EQ(session.loop.TimerCount() + session.loop.HandlerCount(), 0);
}

TEST(EditorWindow, HostGlContextAndErrorHandlerAreUnchanged) {
    TestDisplay();
    HostWindow hostGl(64, 64);
    Display* display = hostGl.Connection();
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    ASSERT_NE(visual, nullptr);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(glXMakeCurrent(display, hostGl.Id(), context));
    XSetErrorHandler(CountingErrorHandler);
    {
        EditorSession session;
        ASSERT_TRUE(session.Open());
        EXPECT_EQ(glXGetCurrentContext(), context);
        session.PumpUntilDrawn();
        session.window.Click(150, 200);
        session.Pump(50);
        EXPECT_EQ(glXGetCurrentContext(), context);
        EXPECT_EQ(glXGetCurrentDrawable(), hostGl.Id());
        session.Close();
    }
    EXPECT_EQ(glXGetCurrentContext(), context);
    EXPECT_EQ(glXGetCurrentDrawable(), hostGl.Id());
    EXPECT_EQ(glXGetCurrentDisplay(), display);
    EXPECT_EQ(XSetErrorHandler(nullptr), &CountingErrorHandler);
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
}

TEST(EditorWindow, HundredOpenCloseCyclesLeaveNoFilesOrThreads) {
    EditorSession session;
    ASSERT_TRUE(session.Open());
    session.PumpUntilDrawn();
    session.Close();
    const int files = OpenFileDescriptors();
    const int threads = ThreadCount();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(session.Open()) << "cycle " << i;
        session.Pump(i % 10 == 0 ? 40 : 1);
        session.Close();
    }
    EXPECT_EQ(OpenFileDescriptors(), files);
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(session.loop.TimerCount() + session.loop.HandlerCount(), 0);
}

class TwoEditors : public ::testing::TestWithParam<bool> {};

TEST_P(TwoEditors, OpenAtOnceAndClosedInEitherOrder) {
    const bool firstClosesFirst = GetParam();
    EditorSession first;
    EditorSession second;
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    first.PumpUntilDrawn();
    second.PumpUntilDrawn();
    second.window.Click(150, 150);
    second.Pump(60);
    first.Pump(30);
    EXPECT_TRUE(EditsOf(first.handler, 0).empty());
    EXPECT_EQ(Kinds(EditsOf(second.handler, 0)), "bpe");
    EditorSession& closing = firstClosesFirst ? first : second;
    EditorSession& staying = firstClosesFirst ? second : first;
    closing.Close();
    staying.Pump(60);
    // Both hosts' windows sit at the same place; the one still open comes to the front.
    staying.window.Raise();
    staying.window.Click(550, 150);
    staying.Pump(60);
    EXPECT_EQ(Kinds(EditsOf(staying.handler, 5)), "bpe");
    staying.Close();
}

INSTANTIATE_TEST_SUITE_P(Orders, TwoEditors, ::testing::Values(false, true));

// Share of pixels of the 1x picture that the 2x picture repeats at the same place.
double ShareRepeatedAtTwice(const Picture& once, const Picture& twice) {
    int same = 0;
    for (int y = 0; y < once.height; ++y)
        for (int x = 0; x < once.width; ++x)
            same += Near(once.At(x, y), twice.At(2 * x + 1, 2 * y + 1), 8) ? 1 : 0;
    return static_cast<double>(same) / (once.width * once.height);
}

TEST(EditorScale, HostFactorAfterAttachResizesTheViewAndDrawsAtTwiceThePixels) {
    EditorSession session({}, 800, 630);
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.PumpUntilDrawn());
    session.Pump(60);
    const Picture once = session.Capture();
    auto scale = U::cast<IPlugViewContentScaleSupport>(session.view);
    // At scale 1 opening asks the host for nothing.
    EXPECT_TRUE(session.frame.resizes.empty());
    ASSERT_EQ(scale->setContentScaleFactor(2.0f), kResultOk);
    ASSERT_EQ(session.frame.resizes.size(), 1u);
    EXPECT_EQ(session.frame.resizes[0].width, 1600);
    EXPECT_EQ(session.frame.resizes[0].height, 1160);
    ViewRect size;
    session.view->getSize(&size);
    EXPECT_EQ(size.getWidth(), 1600);
    EXPECT_EQ(size.getHeight(), 1160);
    session.Pump(150);
    const Picture twice = session.Capture(1600, 1160);
    twice.WritePng(ShotPath("scale-2"));
    EXPECT_TRUE(Near(twice.At(1590, 1150), kBackdrop));
    EXPECT_TRUE(Near(twice.At(300, 790), kBar));
    EXPECT_GT(ShareRepeatedAtTwice(once, twice), 0.97);
    // The same factor again asks for nothing more.
    scale->setContentScaleFactor(2.0f);
    EXPECT_EQ(session.frame.resizes.size(), 1u);
}

TEST(EditorScale, WithoutAHostFactorTheDesktopDpiDecides) {
    TestDisplay();
    HostWindow desktop(1, 1);
    Display* display = desktop.Connection();
    const char resources[] = "Xft.dpi:\t192\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources),
                    sizeof(resources) - 1);
    XSync(display, False);
    {
        EditorSession session({}, 1600, 1160);
        ASSERT_TRUE(session.Open());
        ASSERT_FALSE(session.frame.resizes.empty());
        EXPECT_EQ(session.frame.resizes.back().width, 1600);
        EXPECT_EQ(session.frame.resizes.back().height, 1160);
        session.PumpUntilDrawn();
        session.Pump(60);
        EXPECT_TRUE(Near(session.Capture(1600, 1160).At(300, 790), kBar));
    }
    XDeleteProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER);
    XSync(display, False);
}

}  // namespace
}  // namespace quendaris::test
