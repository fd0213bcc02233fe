// Plug-in windows on a display (run under Xvfb): showing and hiding editors,
// navigation among the instances the current window showed, held windows,
// the header's layout, the bypass button (also when the bypass comes from
// another thread) and the presets menu with its name dialog.

#include "AKClassMgr.h"
#include "AKMemoryBlock.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "CPluginInstance.h"
#include "CPluginWindow.h"
#include "CPluginWindowLinks.h"
#include "CPluginWindowMgr.h"
#include "CPluginWindowView.h"
#include "JCAppImages.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVObjectPlayable.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "QVPluginPresetMgr.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr QVPluginDescUID kUIDs[] = {0x7673743200000A01ull, 0x7673743200000A02ull, 0x7673743200000A03ull,
                                     0x7673743200000A04ull};
// A plug-in the host makes as an engine-only instance, without a toolkit plug-in.
constexpr QVPluginDescUID kForeignUID = 0x6F74687200000A05ull;
constexpr int kEditorWidth = 598;
constexpr int kEditorHeight = 300;

class SizedEditor : public juce::AudioProcessorEditor
{
public:
    SizedEditor(juce::AudioProcessor& processor, int width, int height) : juce::AudioProcessorEditor(processor)
    {
        setSize(width, height);
    }
    void paint(juce::Graphics& g) override { g.fillAll(juce::Colours::darkgrey); }
};

// A stereo pass-through whose state is the text it was last given, with an
// editor of its own.
class EditedPlugin : public juce::AudioPluginInstance
{
public:
    EditedPlugin()
        : juce::AudioPluginInstance(BusesProperties()
                                        .withInput("In", juce::AudioChannelSet::stereo(), true)
                                        .withOutput("Out", juce::AudioChannelSet::stereo(), true))
    {}

    void fillInPluginDescription(juce::PluginDescription& desc) const override { desc.name = getName(); }
    juce::String const getName() const override { return "Edited"; }
    void prepareToPlay(double, int) override {}
    void releaseResources() override {}
    void processBlock(juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return new SizedEditor(*this, kEditorWidth, kEditorHeight); }
    bool hasEditor() const override { return true; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram(int) override {}
    juce::String const getProgramName(int) override { return {}; }
    void changeProgramName(int, juce::String const&) override {}
    void getStateInformation(juce::MemoryBlock& dest) override { dest.append(mState.data(), mState.size()); }
    void setStateInformation(void const* data, int size) override
    {
        mState.assign(static_cast<char const*>(data), static_cast<size_t>(size));
    }

    std::string mState;
};

class ForeignInstance : public QVPluginInstance
{
public:
    explicit ForeignInstance(QVPluginDesc const& desc) : QVPluginInstance(desc) {}
    bool SetStateInformation(AKMemoryBlock const&) override { return false; }
    bool GetStateInformation(AKMemoryBlock*) const override { return false; }
    void PrepareAudioResources(QVAudioInfo const&) override {}
    void ReleaseAudioResources() override {}
    bool ShowPluginWindow(bool) override { return false; }
    void ApplyRTFilterSelf(QXSampleBuffer<double>*, bool, bool) const override {}
};

class WindowTestHost : public QVPluginMgrLibext
{
public:
    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        char const* const names[] = {"Alpha", "Beta", "Gamma", "Delta"};
        for (int i = 0; i < 4; ++i)
            descs->Push(QVPluginDesc(kUIDs[i], kQVPluginFormatVST, names[i], names[i], 2, 2));
        descs->Push(QVPluginDesc(kForeignUID, kQVPluginFormatOther, "Foreign", "urn:foreign", 2, 2));
    }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info) override
    {
        if (desc.GetUID() == kForeignUID)
            return new ForeignInstance(desc);
        CPluginInstance* const instance = new CPluginInstance(desc, new EditedPlugin());
        instance->PrepareAudioResources(info);
        return instance;
    }
};

class TestPlayable : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestPlayable, "tstPlay")

    TestPlayable() : QVObjectPlayable(0) {}
};

// A small distinct image per control, so that the bypass image can be told.
void WriteImage(juce::File const& folder, char const* name, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, 20, 20, true);
    juce::Graphics(image).fillAll(colour);
    juce::File const file = folder.getChildFile(name);
    std::unique_ptr<juce::FileOutputStream> stream(file.createOutputStream());
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, *stream));
}

// The toolkit installs a forgiving X error handler only in a toolkit
// application; in a test program Xlib's default one ends the process at the
// first error, such as window-manager properties a bare X server lacks.
void IgnoreXErrors()
{
    using Handler = int (*)(void*, void*);
    using SetHandler = Handler (*)(Handler);
    void* const x11 = dlopen("libX11.so.6", RTLD_LAZY);
    if (x11 == nullptr)
        return;
    if (auto setHandler = reinterpret_cast<SetHandler>(dlsym(x11, "XSetErrorHandler")))
        setHandler([](void*, void*) { return 0; });
}

// One toolkit, one resources folder and one class registry for the program.
class WindowEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        sResources = juce::File::createTempFile("plugwind-resources");
        ASSERT_TRUE(sResources.createDirectory());
        juce::Colour const colours[] = {juce::Colours::red,   juce::Colours::green, juce::Colours::blue,
                                        juce::Colours::cyan,  juce::Colours::white, juce::Colours::orange,
                                        juce::Colours::purple};
        char const* const names[] = {"PlugWindPrev.png",   "PlugWindNext.png",    "PlugWindHold.png",
                                     "PlugWindReveal.png", "PlugWindBypass0.png", "PlugWindBypass1.png",
                                     "PlugWindPresets.png"};
        for (int i = 0; i < 7; ++i)
            WriteImage(sResources, names[i], colours[i]);
        setenv("ORVEL_RESOURCES_DIR", sResources.getFullPathName().toRawUTF8(), 1);

        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        ASSERT_EQ(registry.RegisterBegin(), 0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(
                AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<QVObjectPlayable>(AKObject::_ClassID(), "QVObjectPlayable"),
                                   false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfConcrete<TestPlayable>(QVObjectPlayable::_ClassID(), "TestPlayable"),
                                   false, nullptr),
            0);
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
        QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
        types.RegisterDocumentTypeInfo(QVDocumentTypeInfo(types.CountDocumentTypes() + 1, "WindTest", "wtst",
                                                          TestPlayable::_ClassID(), AKClassID(), AKClassID(),
                                                          AKClassID()));
        sDocumentType = types.CountDocumentTypes();
        if (std::getenv("DISPLAY") != nullptr) {
            IgnoreXErrors();
            sToolkit = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        }
    }
    void TearDown() override
    {
        CPluginWindowMgr::sShared.Terminate();
        JCReleaseAppImages();
        sToolkit.reset();
        AKClassMgr::sShared.Terminate();
        sResources.deleteRecursively();
    }

    static inline unsigned int sDocumentType = 0;
    static inline juce::File sResources;
    static inline std::unique_ptr<juce::ScopedJuceInitialiser_GUI> sToolkit;
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WindowEnvironment());

class CPluginWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (WindowEnvironment::sToolkit == nullptr)
            GTEST_SKIP() << "plug-in windows need an X display: run under xvfb-run";
        QVEngineServices::Install();
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(new WindowTestHost());
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
        mDocument = std::make_unique<QVDocument>(WindowEnvironment::sDocumentType, 0);
        AKTree* const tree = mDocument->GetTree();
        ASSERT_EQ(tree->InitDefault(WindowEnvironment::sDocumentType), 0);
        ATObjectArray<AKObject> objects;
        for (int i = 0; i < 5; ++i)
            objects.Push(AKNew<TestPlayable>("%s", ""));
        ASSERT_EQ(tree->DoTreeSelAddNewObjects(nullptr, nullptr, tree->GetRootNode(), kAKLinkModeLastChildren, objects),
                  0);
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(Playable(i)->AttachPlugin(kUIDs[i]));
            mIDs[i] = Playable(i)->GetPluginInstance()->GetInstanceID();
        }
        ASSERT_TRUE(Playable(4)->AttachPlugin(kForeignUID));
    }
    void TearDown() override
    {
        if (WindowEnvironment::sToolkit == nullptr)
            return;
        CPluginWindowMgr::sShared.Terminate();
        JCSetRevealPanelInRendererHandler({});
        JCSetShowPluginPresetsHandler({});
        mDocument.reset();
        QVPluginMgr::sShared.Terminate();
        QVEngineServices::Uninstall();
    }

    TestPlayable* Playable(int index) const
    {
        return mDocument->GetTree()->GetObjectT<TestPlayable>(static_cast<AKNodeID>(2 + index));
    }
    CPluginInstance* Instance(int index) const
    {
        return static_cast<CPluginInstance*>(Playable(index)->GetPluginInstance());
    }
    static EditedPlugin* Plugin(CPluginInstance* instance)
    {
        return static_cast<EditedPlugin*>(instance->GetToolkitPlugin());
    }
    static bool Show(QVInstanceID id) { return CPluginWindowMgr::sShared.ShowPluginWindow(id, true); }
    static CPluginWindow* Current() { return CPluginWindowMgr::sShared.GetCurrentPluginWindow(); }
    static std::vector<QVInstanceID> NavList(CPluginWindowView* view)
    {
        return {view->GetNavigationList().begin(), view->GetNavigationList().end()};
    }

    std::unique_ptr<QVDocument> mDocument;
    QVInstanceID mIDs[4] = {};
};

TEST_F(CPluginWindowTest, TheCurrentWindowFollowsTheInstancesAndNavigatesAmongThem)
{
    QVInstanceID const a = mIDs[0], b = mIDs[1];
    ASSERT_TRUE(Show(a));
    CPluginWindow* const window = Current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->getName(), "VST-Alpha");
    ASSERT_TRUE(Show(b));
    ASSERT_TRUE(Show(a));
    EXPECT_EQ(Current(), window);  // one window, reused

    CPluginWindowView* const view = window->GetView();
    EXPECT_EQ(NavList(view), (std::vector<QVInstanceID>{a, b}));
    EXPECT_EQ(view->GetNavigationIndex(), 0u);
    EXPECT_EQ(view->GetPositionLabel().getText(), "1/2");
    EXPECT_FALSE(view->GetPrevButton().isEnabled());
    EXPECT_TRUE(view->GetNextButton().isEnabled());

    // Stepping keeps the list's order.
    EXPECT_TRUE(view->DoNavigationPrevNext(1));
    EXPECT_EQ(window->GetInstanceID(), b);
    EXPECT_EQ(window->getName(), "VST-Beta");
    EXPECT_EQ(NavList(view), (std::vector<QVInstanceID>{a, b}));
    EXPECT_EQ(view->GetPositionLabel().getText(), "2/2");
    EXPECT_FALSE(view->DoNavigationPrevNext(1));  // at the end
    EXPECT_TRUE(view->DoNavigationPrevNext(-1));
    EXPECT_EQ(window->GetInstanceID(), a);
}

TEST_F(CPluginWindowTest, AHeldWindowKeepsItsInstanceAndANewCurrentWindowOpens)
{
    QVInstanceID const a = mIDs[0], b = mIDs[1], c = mIDs[2];
    ASSERT_TRUE(Show(a));
    ASSERT_TRUE(Show(b));
    CPluginWindow* const held = Current();
    ASSERT_TRUE(CPluginWindowMgr::sShared.HoldCurrentPluginWindow());
    EXPECT_EQ(Current(), nullptr);
    EXPECT_FALSE(CPluginWindowMgr::sShared.HoldCurrentPluginWindow());
    CPluginWindowView* const heldView = held->GetView();
    EXPECT_TRUE(heldView->IsHoldMode());
    EXPECT_TRUE(heldView->GetNavigationList().IsEmpty());
    EXPECT_FALSE(heldView->GetPrevButton().isVisible());
    EXPECT_FALSE(heldView->GetNextButton().isVisible());
    EXPECT_FALSE(heldView->GetHoldButton().isVisible());
    EXPECT_FALSE(heldView->GetPositionLabel().isVisible());
    EXPECT_TRUE(heldView->GetPositionLabel().getText().isEmpty());

    ASSERT_TRUE(Show(c));
    CPluginWindow* const current = Current();
    ASSERT_NE(current, nullptr);
    EXPECT_NE(current, held);
    EXPECT_EQ(NavList(current->GetView()), (std::vector<QVInstanceID>{c}));
    EXPECT_EQ(held->GetInstanceID(), b);

    // An instance shown in a held window is brought to the front there.
    ASSERT_TRUE(Show(b));
    EXPECT_EQ(Current(), current);
    EXPECT_EQ(current->GetInstanceID(), c);
    EXPECT_EQ(CPluginWindowMgr::sShared.GetPluginWindow(b, true), held);
    EXPECT_EQ(CPluginWindowMgr::sShared.GetHeldPluginWindows().Count(), 1u);

    // The current window's list leaves out what a held window shows.
    ASSERT_TRUE(Show(a));
    EXPECT_EQ(NavList(current->GetView()), (std::vector<QVInstanceID>{c, a}));

    // Closing the held window deletes it.
    ASSERT_TRUE(CPluginWindowMgr::sShared.ShowPluginWindow(b, false));
    EXPECT_TRUE(CPluginWindowMgr::sShared.GetHeldPluginWindows().IsEmpty());
    EXPECT_EQ(CPluginWindowMgr::sShared.GetPluginWindow(b, true), nullptr);
    EXPECT_FALSE(CPluginWindowMgr::sShared.ShowPluginWindow(b, false));
}

TEST_F(CPluginWindowTest, ReleasedInstancesLeaveTheNavigationListAtItsNextUse)
{
    QVInstanceID const a = mIDs[0], b = mIDs[1], c = mIDs[2];
    ASSERT_TRUE(Show(a));
    ASSERT_TRUE(Show(b));
    ASSERT_TRUE(Show(c));
    CPluginWindowView* const view = Current()->GetView();
    EXPECT_EQ(view->GetPositionLabel().getText(), "3/3");

    ASSERT_TRUE(Playable(0)->AttachPlugin(kQVNullPluginDescUID));  // releases a
    EXPECT_TRUE(view->DoNavigationPrevNext(-1));
    EXPECT_EQ(NavList(view), (std::vector<QVInstanceID>{b, c}));
    EXPECT_EQ(Current()->GetInstanceID(), b);
    EXPECT_EQ(view->GetPositionLabel().getText(), "1/2");

    // Releasing the instance on show hides its window first.
    ASSERT_TRUE(Playable(1)->AttachPlugin(kQVNullPluginDescUID));
    EXPECT_FALSE(Current()->isVisible());
    EXPECT_EQ(Current()->GetInstanceID(), kQVNullInstanceID);
    EXPECT_EQ(view->GetCurrentEditor(), nullptr);
}

TEST_F(CPluginWindowTest, ClosingTheCurrentWindowHidesAndEmptiesItForReuse)
{
    ASSERT_TRUE(Show(mIDs[0]));
    CPluginWindow* const window = Current();
    window->closeButtonPressed();
    EXPECT_EQ(Current(), window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->GetInstanceID(), kQVNullInstanceID);
    EXPECT_TRUE(window->getName().isEmpty());
    EXPECT_FALSE(window->GetView()->IsBypassButtonOn());

    ASSERT_TRUE(Show(mIDs[1]));
    EXPECT_EQ(Current(), window);
    EXPECT_TRUE(window->isVisible());

    // The closed instance gets a new editor when shown again.
    window->closeButtonPressed();
    ASSERT_TRUE(Show(mIDs[0]));
    EXPECT_EQ(window->GetInstanceID(), mIDs[0]);
    ASSERT_NE(window->GetView()->GetCurrentEditor(), nullptr);
    EXPECT_EQ(Instance(0)->GetToolkitPlugin()->getActiveEditor(), window->GetView()->GetCurrentEditor());

    // Command-W closes too; other keys are left to others.
    EXPECT_FALSE(window->keyPressed(juce::KeyPress('q', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->keyPressed(juce::KeyPress('w', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_FALSE(window->isVisible());
    // An emptied window's close button still hides it.
    window->setVisible(true);
    window->closeButtonPressed();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CPluginWindowTest, OnlyLiveToolkitInstancesWithEditorsAreShown)
{
    EXPECT_FALSE(Show(kQVNullInstanceID));
    EXPECT_FALSE(Show(mIDs[3] + 1000));
    EXPECT_FALSE(Show(Playable(4)->GetPluginInstance()->GetInstanceID()));     // not a toolkit instance
    EXPECT_FALSE(CPluginWindowMgr::sShared.ShowPluginWindow(mIDs[0], false));  // no window shows it
    EXPECT_EQ(Current(), nullptr);
    // The instance's own entry point goes through the manager.
    EXPECT_TRUE(Instance(2)->ShowPluginWindow(true));
    EXPECT_EQ(Current()->GetInstanceID(), mIDs[2]);
    EXPECT_TRUE(Instance(2)->ShowPluginWindow(false));
    EXPECT_FALSE(Current()->isVisible());
}

TEST_F(CPluginWindowTest, TheHeaderIsLaidOutForTheEditorsWidth)
{
    ASSERT_TRUE(Show(mIDs[0]));
    CPluginWindowView* const view = Current()->GetView();
    EXPECT_EQ(view->getWidth(), kEditorWidth + 2);
    EXPECT_EQ(view->getHeight(), kEditorHeight + 31);
    EXPECT_EQ(view->GetRevealButton().getBounds(), juce::Rectangle<int>(11, 5, 20, 20));
    EXPECT_EQ(view->GetHoldButton().getBounds(), juce::Rectangle<int>(43, 5, 20, 20));
    EXPECT_EQ(view->GetPrevButton().getBounds(), juce::Rectangle<int>(75, 5, 20, 20));
    EXPECT_EQ(view->GetNextButton().getBounds(), juce::Rectangle<int>(99, 5, 20, 20));
    EXPECT_EQ(view->GetPositionLabel().getBounds(), juce::Rectangle<int>(129, 5, 60, 20));
    EXPECT_EQ(view->GetPresetsButton().getBounds(), juce::Rectangle<int>(465, 6, 60, 18));
    EXPECT_EQ(view->GetBypassButton().getBounds(), juce::Rectangle<int>(531, 6, 60, 18));
    EXPECT_EQ(view->GetCurrentEditor()->getBounds(), juce::Rectangle<int>(1, 30, kEditorWidth, kEditorHeight));
    // The header bar is painted behind the controls, the editor below it.
    juce::Image const snapshot = view->createComponentSnapshot(view->getLocalBounds());
    EXPECT_EQ(snapshot.getPixelAt(5, 15), CPluginWindowView::kBarColor);
    EXPECT_EQ(snapshot.getPixelAt(300, 200), juce::Colours::darkgrey);

    // An editor that resizes itself takes the window with it.
    view->GetCurrentEditor()->setSize(700, 400);
    EXPECT_EQ(view->getWidth(), 702);
    EXPECT_EQ(view->getHeight(), 431);
    EXPECT_EQ(view->GetBypassButton().getX(), 702 - 69);
    EXPECT_EQ(view->GetCurrentEditor()->getBounds(), juce::Rectangle<int>(1, 30, 700, 400));
}

TEST_F(CPluginWindowTest, TheBypassButtonShowsTheInstancesRequest)
{
    ASSERT_TRUE(Show(mIDs[0]));
    CPluginWindowView* const view = Current()->GetView();
    EXPECT_FALSE(view->IsBypassButtonOn());
    EXPECT_EQ(view->GetBypassButton().getNormalImage(), kJCImage_PlugWindBypass0);
    ASSERT_TRUE(kJCImage_PlugWindBypass1.isValid());

    // The window's button toggles the carrying object's bypass.
    view->buttonClicked(&view->GetBypassButton());
    EXPECT_TRUE(Instance(0)->IsBypassed());
    EXPECT_TRUE(Playable(0)->IsPluginBypass());
    EXPECT_TRUE(view->IsBypassButtonOn());
    EXPECT_EQ(view->GetBypassButton().getNormalImage(), kJCImage_PlugWindBypass1);
    view->buttonClicked(&view->GetBypassButton());
    EXPECT_FALSE(view->IsBypassButtonOn());
    EXPECT_EQ(view->GetBypassButton().getNormalImage(), kJCImage_PlugWindBypass0);

    // A bypassed instance shown again comes with its button on.
    ASSERT_TRUE(Playable(1)->SetPluginBypass(1));
    ASSERT_TRUE(Show(mIDs[1]));
    EXPECT_TRUE(view->IsBypassButtonOn());
    EXPECT_FALSE(CPluginWindowMgr::sShared.NotifyPluginBypassHasChanged(mIDs[2]));  // shown nowhere
}

TEST_F(CPluginWindowTest, ABypassFromAnotherThreadReachesTheButtonOnTheMessageThread)
{
    ASSERT_TRUE(Show(mIDs[0]));
    CPluginWindowView* const view = Current()->GetView();
    CPluginInstance* const instance = Instance(0);
    bool changed = false;
    std::thread remote([&] { changed = instance->SetBypassed(1); });
    remote.join();
    EXPECT_TRUE(changed);
    EXPECT_TRUE(instance->IsBypassed());
    // Nothing touched the window on that thread: the button waits for the message loop.
    EXPECT_FALSE(view->IsBypassButtonOn());
    for (int i = 0; i < 100 && !view->IsBypassButtonOn(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
    EXPECT_TRUE(view->IsBypassButtonOn());
    EXPECT_EQ(view->GetBypassButton().getNormalImage(), kJCImage_PlugWindBypass1);

    // A notification that arrives after its window was emptied does nothing.
    std::thread late([&] { instance->SetBypassed(0); });
    late.join();
    Current()->closeButtonPressed();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    EXPECT_FALSE(view->IsBypassButtonOn());
}

TEST_F(CPluginWindowTest, PresetsAreSavedAndRecalledThroughThePresetsManager)
{
    ASSERT_TRUE(Show(mIDs[3]));
    CPluginWindowView* const view = Current()->GetView();
    CPluginInstance* const instance = Instance(3);
    EditedPlugin* const plugin = Plugin(instance);
    QVPluginPresetMgr& presets = QVPluginPresetMgr::sShared;

    plugin->mState = "warm";
    EXPECT_TRUE(view->DoMenuPresetCmdSaveAs("Warm"));
    plugin->mState = "warmer";
    EXPECT_TRUE(view->DoMenuPresetCmdSaveAs("Warm"));  // replaced without asking
    EXPECT_FALSE(view->DoMenuPresetCmdSaveAs("   "));  // a name of spaces stores nothing
    plugin->mState = "cold";
    EXPECT_TRUE(view->DoMenuPresetCmdSaveAs("Cold"));
    plugin->mState.clear();
    EXPECT_FALSE(view->DoMenuPresetCmdSaveAs("Empty"));  // no state to store
    EXPECT_FALSE(presets.ExistsPreset(instance->GetUID(), "Empty"));

    juce::PopupMenu menu;
    view->LowBuildMenuPreset(&menu);
    std::vector<std::pair<int, juce::String>> items;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        items.push_back({it.getItem().itemID, it.getItem().isSeparator ? "-" : it.getItem().text});
    std::vector<std::pair<int, juce::String>> const expected = {
        {1, "Save As..."}, {2, "Edit Presets..."}, {0, "-"}, {3, "Cold"}, {4, "Warm"}};
    EXPECT_EQ(items, expected);

    CPluginWindowView::LowMenuPresetCallback(4, view);
    EXPECT_EQ(plugin->mState, "warmer");
    EXPECT_TRUE(view->GetPresetNames().IsEmpty());
    CPluginWindowView::LowMenuPresetCallback(3, nullptr);  // the view is gone: dropped
    EXPECT_EQ(plugin->mState, "warmer");
    view->LowBuildMenuPreset(&menu);
    CPluginWindowView::LowMenuPresetCallback(9, view);  // out of range
    CPluginWindowView::LowMenuPresetCallback(0, view);  // dismissed
    EXPECT_EQ(plugin->mState, "warmer");

    int dialogs = 0;
    JCSetShowPluginPresetsHandler([&] { ++dialogs; });
    CPluginWindowView::LowMenuPresetCallback(2, view);
    EXPECT_EQ(dialogs, 1);

    EXPECT_TRUE(presets.RemovePreset(instance->GetUID(), "Warm"));
    EXPECT_TRUE(presets.RemovePreset(instance->GetUID(), "Cold"));
}

// Answers the modal name dialog once it runs: types the text and presses
// the given button.
void AnswerPresetDialog(juce::String text, int button, juce::String* title)
{
    juce::MessageManager::callAsync([text, button, title] {
        auto* dialog = dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
        if (dialog == nullptr)
            return;
        *title = dialog->getName();
        if (juce::TextEditor* field = dialog->getTextEditor("text"))
            field->setText(text);
        dialog->exitModalState(button);
    });
}

TEST_F(CPluginWindowTest, SaveAsAsksANameInAModalDialog)
{
    ASSERT_TRUE(Show(mIDs[2]));
    CPluginWindowView* const view = Current()->GetView();
    CPluginInstance* const instance = Instance(2);
    Plugin(instance)->mState = "bright";

    juce::String title;
    AnswerPresetDialog("Bright", 1, &title);
    CPluginWindowView::LowMenuPresetCallback(1, view);
    EXPECT_EQ(title, "Add or Replace a Preset");
    AKMemoryBlock state;
    ASSERT_TRUE(QVPluginPresetMgr::sShared.GetPreset(instance->GetUID(), "Bright", &state));
    EXPECT_EQ(state, AKMemoryBlock("bright", 6));

    AKString name = "kept";
    AnswerPresetDialog("Dark", 0, &title);
    EXPECT_FALSE(view->DoDialogForPresetName(&name));
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_FALSE(QVPluginPresetMgr::sShared.ExistsPreset(instance->GetUID(), "Dark"));
    EXPECT_TRUE(QVPluginPresetMgr::sShared.RemovePreset(instance->GetUID(), "Bright"));
}

TEST_F(CPluginWindowTest, RevealAsksTheShellForTheCarryingObjectsPanel)
{
    ASSERT_TRUE(Show(mIDs[1]));
    QVDocument* revealedDocument = nullptr;
    AKNodeID revealedNode = kAKNullNodeID;
    JCSetRevealPanelInRendererHandler([&](QVDocument* document, AKNodeID node) {
        revealedDocument = document;
        revealedNode = node;
        return true;
    });
    CPluginWindowView* const view = Current()->GetView();
    view->buttonClicked(&view->GetRevealButton());
    EXPECT_EQ(revealedDocument, mDocument.get());
    EXPECT_EQ(revealedNode, Playable(1)->NodeOwnerID());
}

TEST_F(CPluginWindowTest, DeletingInstancesClosesTheirWindowsBeforeTheirPluginsGo)
{
    ASSERT_TRUE(Show(mIDs[0]));
    ASSERT_TRUE(CPluginWindowMgr::sShared.HoldCurrentPluginWindow());
    ASSERT_TRUE(Show(mIDs[1]));
    // The manager deletes every instance at once, no release first: their
    // editors go before their plug-ins.
    QVPluginMgr::sShared.Terminate();
    EXPECT_TRUE(CPluginWindowMgr::sShared.GetHeldPluginWindows().IsEmpty());
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->GetInstanceID(), kQVNullInstanceID);
    EXPECT_EQ(Current()->GetView()->GetCurrentEditor(), nullptr);
}

}  // namespace
