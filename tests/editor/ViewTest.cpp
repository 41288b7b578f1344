// The editor view as a host meets it, through the real bundle; no window opens here.
#include <gtest/gtest.h>

#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/base/keycodes.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/editor/EditorTestHost.h"
#include "tests/vst3/TestHost.h"

using namespace Steinberg;

namespace quendaris::test {
namespace {

IPtr<IPlugView> CreateEditorView(Effect& effect) {
    return owned(effect.controller->createView(Vst::ViewType::kEditor));
}

TEST(EditorView, CreatedOnlyForTheEditorName) {
    Effect effect;
    ASSERT_TRUE(effect.Valid());
    EXPECT_TRUE(CreateEditorView(effect));
    EXPECT_EQ(effect.controller->createView("other"), nullptr);
    EXPECT_EQ(effect.controller->createView(nullptr), nullptr);
}

TEST(EditorView, ReportsTheConfiguredSizeAndRefusesHostResizing) {
    Effect effect;
    auto view = CreateEditorView(effect);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.left, 0);
    EXPECT_EQ(size.top, 0);
    EXPECT_EQ(size.getWidth(), 800);
    EXPECT_EQ(size.getHeight(), 630);
    EXPECT_EQ(view->getSize(nullptr), kResultFalse);
    EXPECT_EQ(view->canResize(), kResultFalse);
    ViewRect other(0, 0, 1000, 700);
    EXPECT_EQ(view->onSize(&other), kResultFalse);
    EXPECT_EQ(view->onSize(nullptr), kResultFalse);
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 800);
    EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
    EXPECT_EQ(view->onFocus(true), kResultFalse);
}

TEST(EditorView, SizeConstraintMovesTheFarEdges) {
    Effect effect;
    auto view = CreateEditorView(effect);
    ViewRect small(10, 20, 110, 120);
    EXPECT_EQ(view->checkSizeConstraint(&small), kResultOk);
    EXPECT_EQ(small.left, 10);
    EXPECT_EQ(small.top, 20);
    EXPECT_EQ(small.getWidth(), 266);
    EXPECT_EQ(small.getHeight(), 210);
    ViewRect fits(0, 0, 800, 630);
    EXPECT_EQ(view->checkSizeConstraint(&fits), kResultOk);
    EXPECT_EQ(fits.getWidth(), 800);
    EXPECT_EQ(fits.getHeight(), 630);
    ViewRect large(0, 0, 5000, 5000);
    EXPECT_EQ(view->checkSizeConstraint(&large), kResultOk);
    EXPECT_EQ(large.getWidth(), 2400);
    EXPECT_EQ(large.getHeight(), 1890);
    EXPECT_EQ(view->checkSizeConstraint(nullptr), kInvalidArgument);
}

TEST(EditorView, HoldsOneReferenceOnItsFrame) {
    Effect effect;
    TestFrame first(nullptr);
    TestFrame second(nullptr);
    {
        auto view = CreateEditorView(effect);
        EXPECT_EQ(view->setFrame(&first), kResultOk);
        EXPECT_EQ(first.References(), 1);
        EXPECT_EQ(view->setFrame(&second), kResultOk);
        EXPECT_EQ(first.References(), 0);
        EXPECT_EQ(second.References(), 1);
        EXPECT_EQ(view->setFrame(nullptr), kResultOk);
        EXPECT_EQ(second.References(), 0);
        view->setFrame(&second);
    }
    EXPECT_EQ(second.References(), 0);
}

TEST(EditorView, OffersContentScaleSupport) {
    Effect effect;
    auto view = CreateEditorView(effect);
    auto scale = U::cast<IPlugViewContentScaleSupport>(view);
    ASSERT_TRUE(scale);
    EXPECT_EQ(scale->setContentScaleFactor(2.0f), kResultOk);
    EXPECT_EQ(scale->setContentScaleFactor(0.0f), kInvalidArgument);
    EXPECT_EQ(scale->setContentScaleFactor(-1.0f), kInvalidArgument);
}

TEST(EditorView, KeysWithoutAnOpenEditorGoBackToTheHost) {
    Effect effect;
    auto view = CreateEditorView(effect);
    EXPECT_EQ(view->onKeyDown(' ', KEY_SPACE, 0), kResultFalse);
    EXPECT_EQ(view->onKeyUp(' ', KEY_SPACE, 0), kResultFalse);
    EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse);
}

TEST(EditorView, RefusesToAttachWithoutARunLoop) {
    Effect effect;
    auto view = CreateEditorView(effect);
    TestFrame frame(nullptr);
    view->setFrame(&frame);
    // A window id that does not exist: nothing may be created or touched.
    EXPECT_EQ(
        view->attached(reinterpret_cast<void*>(uintptr_t{0x1234}), kPlatformTypeX11EmbedWindowID),
        kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(view->removed(), kResultOk);
    view->setFrame(nullptr);
}

TEST(EditorView, AnotherPlatformTypeOpensNothing) {
    Effect effect;
    auto view = CreateEditorView(effect);
    TestRunLoop loop;
    TestFrame frame(&loop);
    view->setFrame(&frame);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(uintptr_t{0x1234}), kPlatformTypeHWND),
              kResultOk);
    EXPECT_EQ(loop.TimerCount() + loop.HandlerCount(), 0);
    EXPECT_EQ(view->removed(), kResultOk);
    view->setFrame(nullptr);
}

TEST(EditorView, KeepsItsPluginAliveAfterTheHostLetGo) {
    IPtr<IPlugView> view;
    {
        Effect effect;
        view = CreateEditorView(effect);
    }
    ViewRect size;
    EXPECT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.getWidth(), 800);
}

}  // namespace
}  // namespace quendaris::test
