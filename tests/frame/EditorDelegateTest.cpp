#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "PluginApiBase.h"

namespace quendaris {
namespace {

// Stands in for the graphics layer: remembers what the delegate asked of it.
class FakeGraphics : public EditorGraphics {
  public:
    explicit FakeGraphics(GraphicsEditorDelegate& delegate) : mDelegate(delegate) {}

    void* OpenWindow(void* parent) override {
        parentSeen = parent;
        mDelegate.LayoutUI(*this);
        mDelegate.OnUIOpen();
        return &windowHandle;
    }
    void CloseWindow() override { ++closes; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    float DrawScale() const override { return scale; }
    void Resize(int w, int h, float s, bool needsHostResize) override {
        width = w;
        height = h;
        scale = s;
        lastResizeAskedHost = needsHostResize;
    }
    void SetScreenScale(float s) override { screenScale = s; }
    void PointerPosition(float& x, float& y) const override {
        x = 12.f;
        y = 34.f;
    }
    bool OnKeyDown(float x, float y, const KeyEvent& key) override {
        keyX = x;
        keyY = y;
        return key.vk == 32;
    }
    bool OnKeyUp(float, float, const KeyEvent&) override { return false; }
    void SetParamValueFromDelegate(int paramIdx, double normal) override {
        paramValues.push_back({paramIdx, normal});
    }
    void SetControlValueFromDelegate(int tag, double normal) override {
        controlValues.push_back({tag, normal});
    }
    void SendControlMsgFromDelegate(int, int msgTag, int, const void*) override {
        lastMsgTag = msgTag;
    }
    void SendMidiMsgToControls(const MidiMessage& msg) override { midiSeen.push_back(msg); }

    int width = 800;
    int height = 580;
    float scale = 1.0f;
    float screenScale = 1.0f;
    bool lastResizeAskedHost = true;
    void* parentSeen = nullptr;
    int windowHandle = 0;
    int closes = 0;
    float keyX = 0, keyY = 0;
    int lastMsgTag = 0;
    std::vector<std::pair<int, double>> paramValues;
    std::vector<std::pair<int, double>> controlValues;
    std::vector<MidiMessage> midiSeen;

  private:
    GraphicsEditorDelegate& mDelegate;
};

// An API base whose host side is recorded.
class TestPlugin : public PluginApiBase {
  public:
    TestPlugin() : PluginApiBase(testing::FilterConfig(), kApiVst3) {
        testing::DeclareFilterParams(*this);
    }

    void InstallEditor() {
        SetMakeGraphicsFunction([this]() {
            auto graphics = std::make_unique<FakeGraphics>(*this);
            lastGraphics = graphics.get();
            ++made;
            return std::unique_ptr<EditorGraphics>(std::move(graphics));
        });
        SetLayoutFunction([this](EditorGraphics&) { ++layouts; });
    }

    bool HostBeginEdit(int idx) override {
        hostCalls.push_back("begin " + std::to_string(idx));
        return true;
    }
    bool HostEndEdit(int idx) override {
        hostCalls.push_back("end " + std::to_string(idx));
        return true;
    }
    bool HostPerformEdit(int idx, double normal) override {
        hostCalls.push_back("perform " + std::to_string(idx));
        performedValue = normal;
        valueSeenByHost = GetParam(idx)->Value();
        return true;
    }
    bool EditorResize(int w, int h) override {
        hostCalls.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
        return true;
    }
    void OnParamChange(int idx, ParamChangeSource source, int offset) override {
        changes.push_back({idx, source});
        EXPECT_EQ(offset, -1);
    }
    void OnParamChangeUI(int idx, ParamChangeSource source) override {
        uiHooks.push_back({idx, source});
    }
    void OnMidiMsgUI(const MidiMessage& msg) override { midiForEditor.push_back(msg); }
    void OnSysexMsgUI(const SysExMessage& msg) override { sysexForEditor.push_back(msg.size); }
    void OnIdle() override { ++idles; }

    FakeGraphics* lastGraphics = nullptr;
    int made = 0;
    int layouts = 0;
    int idles = 0;
    double performedValue = -1;
    double valueSeenByHost = -1;
    std::vector<std::string> hostCalls;
    std::vector<std::pair<int, ParamChangeSource>> changes;
    std::vector<std::pair<int, ParamChangeSource>> uiHooks;
    std::vector<MidiMessage> midiForEditor;
    std::vector<int> sysexForEditor;
};

// --- Size limits ----------------------------------------------------------------------------

TEST(EditorSize, LimitsAreStoredSmallerFirst) {
    TestPlugin plugin;
    EXPECT_EQ(plugin.EditorWidth(), 800);
    EXPECT_EQ(plugin.EditorHeight(), 630);
    EXPECT_EQ(plugin.MinWidth(), 266);
    EXPECT_EQ(plugin.MaxWidth(), 2400);
    EXPECT_EQ(plugin.MinHeight(), 210);
    EXPECT_EQ(plugin.MaxHeight(), 1890);
}

TEST(EditorSize, ConstrainClampsAndReports) {
    TestPlugin plugin;
    int w = 100, h = 100;
    EXPECT_FALSE(plugin.ConstrainEditorResize(w, h));
    EXPECT_EQ(w, 266);
    EXPECT_EQ(h, 210);
    w = 800, h = 630;
    EXPECT_TRUE(plugin.ConstrainEditorResize(w, h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 630);
    w = 5000, h = 5000;
    EXPECT_FALSE(plugin.ConstrainEditorResize(w, h));
    EXPECT_EQ(w, 2400);
    EXPECT_EQ(h, 1890);
    w = 266, h = 1890;
    EXPECT_TRUE(plugin.ConstrainEditorResize(w, h));
}

TEST(EditorSize, BareDelegateHasWideLimits) {
    EditorDelegate delegate(0);
    int w = 10, h = 100000;
    EXPECT_TRUE(delegate.ConstrainEditorResize(w, h));
    w = 9;
    EXPECT_FALSE(delegate.ConstrainEditorResize(w, h));
    EXPECT_EQ(w, 10);
}

// --- Opening and closing --------------------------------------------------------------------

TEST(EditorOpen, WithoutMakeFunctionThereIsNoEditor) {
    TestPlugin plugin;
    int parent = 0;
    EXPECT_EQ(plugin.OpenWindow(&parent), nullptr);
    EXPECT_EQ(plugin.GetUI(), nullptr);
    plugin.CloseWindow();
    KeyEvent space;
    space.vk = 32;
    EXPECT_FALSE(plugin.OnKeyDown(space));
}

TEST(EditorOpen, OpenLaysOutAndShowsEveryValue) {
    TestPlugin plugin;
    plugin.InstallEditor();
    int parent = 0;
    void* handle = plugin.OpenWindow(&parent);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(plugin.lastGraphics->parentSeen, &parent);
    EXPECT_EQ(plugin.layouts, 1);
    ASSERT_EQ(plugin.lastGraphics->paramValues.size(), 9u);
    EXPECT_DOUBLE_EQ(plugin.lastGraphics->paramValues[5].second, 1.0);
    // A second open while open reuses the editor.
    plugin.OpenWindow(&parent);
    EXPECT_EQ(plugin.made, 1);
}

TEST(EditorOpen, CloseAndReopenRestoresSizeAndScale) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    plugin.lastGraphics->Resize(1000, 700, 1.5f, false);
    plugin.CloseWindow();
    EXPECT_EQ(plugin.GetUI(), nullptr);
    plugin.OpenWindow(nullptr);
    EXPECT_EQ(plugin.made, 2);
    EXPECT_EQ(plugin.lastGraphics->width, 1000);
    EXPECT_EQ(plugin.lastGraphics->height, 700);
    EXPECT_EQ(plugin.lastGraphics->scale, 1.5f);
    EXPECT_FALSE(plugin.lastGraphics->lastResizeAskedHost);
}

TEST(EditorOpen, FirstOpenKeepsTheEditorsOwnSize) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    EXPECT_EQ(plugin.lastGraphics->width, 800);
    EXPECT_EQ(plugin.lastGraphics->height, 580);
}

TEST(EditorOpen, ParentResizeDividesByDrawScale) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OnParentWindowResize(100, 100);  // no editor: nothing to do
    plugin.OpenWindow(nullptr);
    plugin.lastGraphics->scale = 2.0f;
    plugin.OnParentWindowResize(1001, 601);
    EXPECT_EQ(plugin.lastGraphics->width, 500);
    EXPECT_EQ(plugin.lastGraphics->height, 300);
    EXPECT_EQ(plugin.lastGraphics->scale, 1.0f);
}

TEST(EditorOpen, KeysCarryThePointerPosition) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    KeyEvent space;
    space.vk = 32;
    EXPECT_TRUE(plugin.OnKeyDown(space));
    EXPECT_EQ(plugin.lastGraphics->keyX, 12.f);
    EXPECT_EQ(plugin.lastGraphics->keyY, 34.f);
    EXPECT_FALSE(plugin.OnKeyUp(space));
}

TEST(EditorOpen, ControlValuesAndMessagesReachAnOpenEditorOnly) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.SendControlValueFromDelegate(3, 0.5);
    plugin.OpenWindow(nullptr);
    plugin.SendControlValueFromDelegate(3, 0.25);
    plugin.SendControlMsgFromDelegate(3, 77, 0, nullptr);
    plugin.SetScreenScale(2.0f);
    ASSERT_EQ(plugin.lastGraphics->controlValues.size(), 1u);
    EXPECT_EQ(plugin.lastGraphics->controlValues[0], std::make_pair(3, 0.25));
    EXPECT_EQ(plugin.lastGraphics->lastMsgTag, 77);
    EXPECT_EQ(plugin.lastGraphics->screenScale, 2.0f);
}

// --- Values between editor, plug-in and host ------------------------------------------------

TEST(EditorValues, ToEditorWhileClosedOnlyCallsTheHook) {
    TestPlugin plugin;
    plugin.SendParamValueToEditor(1, 0.3, true);
    ASSERT_EQ(plugin.uiHooks.size(), 1u);
    EXPECT_EQ(plugin.uiHooks[0], std::make_pair(1, kDelegate));
}

TEST(EditorValues, ToEditorConvertsRealValues) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    plugin.lastGraphics->paramValues.clear();
    plugin.SendParamValueToEditor(3, 12.0, false);
    ASSERT_EQ(plugin.lastGraphics->paramValues.size(), 1u);
    EXPECT_DOUBLE_EQ(plugin.lastGraphics->paramValues[0].second, 0.75);
}

TEST(EditorValues, FromUiStoresTellsHostThenPlugin) {
    TestPlugin plugin;
    plugin.BeginParamEditFromUI(0);
    plugin.SendParamValueFromUI(0, 0.5);
    plugin.EndParamEditFromUI(0);
    EXPECT_DOUBLE_EQ(plugin.GetParam(0)->Value(), 2517.5);
    EXPECT_DOUBLE_EQ(plugin.valueSeenByHost, 2517.5);
    EXPECT_DOUBLE_EQ(plugin.performedValue, 0.5);
    std::vector<std::string> expected = {"begin 0", "perform 0", "end 0"};
    EXPECT_EQ(plugin.hostCalls, expected);
    ASSERT_EQ(plugin.changes.size(), 1u);
    EXPECT_EQ(plugin.changes[0], std::make_pair(0, kUI));
    ASSERT_EQ(plugin.uiHooks.size(), 1u);
    EXPECT_EQ(plugin.uiHooks[0], std::make_pair(0, kUI));
}

TEST(EditorValues, FromUiIgnoresUnknownIndexAndNan) {
    TestPlugin plugin;
    plugin.SendParamValueFromUI(9, 0.5);
    plugin.SendParamValueFromUI(-1, 0.5);
    EXPECT_TRUE(plugin.hostCalls.empty());
    plugin.SendParamValueFromUI(1, std::nan(""));
    EXPECT_EQ(plugin.GetParam(1)->Value(), 50.0);
}

TEST(EditorValues, ResizeAsksHostOnlyWhenNeeded) {
    TestPlugin plugin;
    EXPECT_TRUE(plugin.EditorResizeFromUI(900, 700, false));
    EXPECT_TRUE(plugin.hostCalls.empty());
    EXPECT_TRUE(plugin.EditorResizeFromUI(900, 700, true));
    ASSERT_EQ(plugin.hostCalls.size(), 1u);
    EXPECT_EQ(plugin.hostCalls[0], "resize 900x700");
}

TEST(EditorValues, BaseHostSideReportsNoHost) {
    PluginApiBase plugin(testing::FilterConfig(), kApiNone);
    EXPECT_FALSE(plugin.HostBeginEdit(0));
    EXPECT_FALSE(plugin.HostPerformEdit(0, 0.5));
    EXPECT_FALSE(plugin.HostEndEdit(0));
    EXPECT_FALSE(plugin.EditorResize(10, 10));
    EXPECT_TRUE(plugin.HasEditor());
    EXPECT_FALSE(plugin.HostMayResize());
}

// --- Editor state chunk ---------------------------------------------------------------------

TEST(EditorState, ClosedEditorRoundTripsThroughSavedSize) {
    TestPlugin plugin;
    plugin.InstallEditor();
    ByteChunk chunk;
    chunk.Put(int32_t{1200});
    chunk.Put(int32_t{900});
    chunk.Put(2.0f);
    EXPECT_EQ(plugin.UnserializeEditorState(chunk, 0), 12);
    ByteChunk written;
    ASSERT_TRUE(plugin.SerializeEditorState(written));
    ASSERT_EQ(written.Size(), 12);
    plugin.OpenWindow(nullptr);
    EXPECT_EQ(plugin.lastGraphics->width, 1200);
    EXPECT_EQ(plugin.lastGraphics->height, 900);
    EXPECT_EQ(plugin.lastGraphics->scale, 2.0f);
}

TEST(EditorState, OpenEditorIsResizedAndWritten) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    ByteChunk chunk;
    chunk.Put(int32_t{640});
    chunk.Put(int32_t{480});
    chunk.Put(1.25f);
    EXPECT_EQ(plugin.UnserializeEditorState(chunk, 0), 12);
    EXPECT_EQ(plugin.lastGraphics->width, 640);
    ByteChunk written;
    ASSERT_TRUE(plugin.SerializeEditorState(written));
    int32_t w = 0;
    written.Get(w, 0);
    EXPECT_EQ(w, 640);
}

TEST(EditorState, ShortOrSenselessChunkChangesNothing) {
    TestPlugin plugin;
    plugin.InstallEditor();
    ByteChunk shortChunk;
    shortChunk.Put(int32_t{640});
    EXPECT_EQ(plugin.UnserializeEditorState(shortChunk, 0), -1);
    ByteChunk zeroScale;
    zeroScale.Put(int32_t{640});
    zeroScale.Put(int32_t{480});
    zeroScale.Put(0.0f);
    EXPECT_EQ(plugin.UnserializeEditorState(zeroScale, 0), -1);
    plugin.OpenWindow(nullptr);
    EXPECT_EQ(plugin.lastGraphics->width, 800);
}

// --- Message queues and the interface tick --------------------------------------------------

TEST(MessageQueues, RingKeepsOneSlotFree) {
    MessageQueue<int, 4> ring;
    EXPECT_EQ(ring.Capacity(), 3);
    EXPECT_TRUE(ring.Push(1));
    EXPECT_TRUE(ring.Push(2));
    EXPECT_TRUE(ring.Push(3));
    EXPECT_FALSE(ring.Push(4));
    int value = 0;
    EXPECT_TRUE(ring.Pop(value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ring.Push(5));
    EXPECT_EQ(ring.Count(), 3);
    for (int expected : {2, 3, 5}) {
        ASSERT_TRUE(ring.Pop(value));
        EXPECT_EQ(value, expected);
    }
    EXPECT_FALSE(ring.Pop(value));
}

TEST(MessageQueues, TickDeliversProcessorMessagesInOrderThenIdles) {
    TestPlugin plugin;
    plugin.InstallEditor();
    plugin.OpenWindow(nullptr);
    for (int i = 0; i < 3; ++i) {
        MidiMessage msg;
        msg.status = 0x90;
        msg.data1 = static_cast<uint8_t>(60 + i);
        EXPECT_TRUE(plugin.SendMidiMsgToEditor(msg));
    }
    SysExMessage sysex;
    sysex.size = 4;
    EXPECT_TRUE(plugin.SendSysexMsgToEditor(sysex));
    plugin.OnTimer();
    ASSERT_EQ(plugin.midiForEditor.size(), 3u);
    EXPECT_EQ(plugin.midiForEditor[2].data1, 62);
    EXPECT_EQ(plugin.lastGraphics->midiSeen.size(), 3u);
    ASSERT_EQ(plugin.sysexForEditor.size(), 1u);
    EXPECT_EQ(plugin.sysexForEditor[0], 4);
    EXPECT_EQ(plugin.idles, 1);
    plugin.OnTimer();
    EXPECT_EQ(plugin.midiForEditor.size(), 3u);
}

TEST(MessageQueues, MidiQueueHoldsThirtyTwoMessages) {
    TestPlugin plugin;
    MidiMessage msg;
    int accepted = 0;
    for (int i = 0; i < 40; ++i)
        accepted += plugin.SendMidiMsgToEditor(msg) ? 1 : 0;
    EXPECT_EQ(accepted, 32);
}

TEST(MessageQueues, EditorMessagesReachTheProcessorSide) {
    TestPlugin plugin;
    MidiMessage note;
    note.status = 0x80;
    plugin.SendMidiMsgFromUI(note);
    const uint8_t bytes[3] = {0xF0, 0x01, 0xF7};
    plugin.SendSysexMsgFromUI(5, 3, bytes);
    plugin.SendSysexMsgFromUI(6, 100000, nullptr);
    MidiMessage got;
    ASSERT_TRUE(plugin.PopMidiMsgFromEditor(got));
    EXPECT_EQ(got.status, 0x80);
    SysExMessage sysex;
    ASSERT_TRUE(plugin.PopSysexMsgFromEditor(sysex));
    EXPECT_EQ(sysex.offset, 5);
    EXPECT_EQ(sysex.size, 3);
    EXPECT_EQ(sysex.data[1], 0x01);
    ASSERT_TRUE(plugin.PopSysexMsgFromEditor(sysex));
    EXPECT_EQ(sysex.size, kMaxSysExBytes);
    EXPECT_EQ(sysex.data[0], 0);
}

TEST(MessageQueues, ArbitraryMessagesAreNotHandled) {
    TestPlugin plugin;
    EXPECT_FALSE(plugin.OnMessage(1, 2, 0, nullptr));
    plugin.SendArbitraryMsgFromDelegate(1, 0, nullptr);
    plugin.SendArbitraryMsgFromUI(1, 2, 0, nullptr);
}

}  // namespace
}  // namespace quendaris
