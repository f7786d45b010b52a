#include "app/app_delegate.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

#include "app/app_context.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "desktop/sim/sim_app_catalog.h"
#include "desktop/sim/sim_application.h"
#include "desktop/sim/sim_desktop.h"
#include "desktop/sim/sim_keyboard_layout.h"
#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::app {
namespace {

constexpr const char* kFailure = "⚠️ Failed to initialize CGS connection after retries";

/// A window server that answers each connection attempt from a script and
/// remembers when it was asked.
class ScriptedWindowServer final : public platform::WindowServer {
public:
    explicit ScriptedWindowServer(const core::Scheduler& clock) : clock_(clock) {}

    std::uint32_t mainConnectionID() override {
        attempts.push_back(clock_.now());
        if (answers.empty()) return 0;
        const std::uint32_t id = answers.front();
        answers.pop_front();
        return id;
    }
    std::size_t managedDisplaySpaceCount(std::uint32_t connection) override {
        spacesAskedFor = connection;
        return spaceGroups;
    }

    std::deque<std::uint32_t> answers{42};
    std::size_t spaceGroups = 1;
    std::vector<double> attempts;
    std::optional<std::uint32_t> spacesAskedFor;

private:
    const core::Scheduler& clock_;
};

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest() {
        monitor = desktop.addMonitor({0, 0, 1440, 900});
        sim::WindowSpec editor;
        editor.owner = "Editor";
        editor.bounds = {100, 100, 800, 600};
        desktop.addWindow(editor);
    }

    core::PreferenceStore& store() { return context.settingsStore(); }
    AppDelegate& makeDelegate() {
        delegate = std::make_unique<AppDelegate>(context, server, presence);
        return *delegate;
    }
    void launch() {
        delegate->applicationDidFinishLaunching();
        scheduler.runPending();
    }
    /// Writes values the running objects do not hold, behind their back (no
    /// notification), as a previous run would have left them.
    void storeOtherValuesThanRunning() {
        auto& style = context.overlayStyle();
        auto& controller = context.overlayController();
        initialMode = style.focusMode();
        initialGrain = style.grainIntensity();
        initialSingle = controller.isInSingleMode();
        storedMode = initialMode == settings::FocusMode::deep ? settings::FocusMode::ambient
                                                              : settings::FocusMode::deep;
        store().set(settings::keys::focusMode,
                    std::string(storedMode == settings::FocusMode::deep ? "deep" : "ambient"));
        store().set(settings::keys::grainIntensity, initialGrain > 0.5f ? 0.2 : 0.8);
        store().set(settings::keys::isSingleMode, !initialSingle);
        notifications.clear();
    }
    int posted(const std::string& name) const {
        int n = 0;
        for (const auto& seen : notifications) n += seen == name;
        return n;
    }

    core::VirtualScheduler scheduler;
    sim::SimDesktop desktop{scheduler};
    sim::SimAppCatalog catalog;
    sim::SimKeyboardLayout keyboard;
    AppContext context{
        DesktopPorts{scheduler, desktop, desktop, desktop, desktop, desktop, catalog, keyboard}};
    ScriptedWindowServer server{scheduler};
    sim::SimPresence presence;
    core::LogCapture log;
    std::vector<std::string> notifications;
    core::Observation everything{
        context.notificationCenter(), "",
        [this](const core::Notification& n) { notifications.push_back(n.name); }};
    std::uint32_t monitor = 0;
    std::unique_ptr<AppDelegate> delegate;
    settings::FocusMode initialMode{};
    settings::FocusMode storedMode{};
    float initialGrain = 0;
    bool initialSingle = false;
};

TEST_F(AppDelegateTest, LaunchRunsAfterTheCallbackAndPrintsItsLinesInOrder) {
    makeDelegate();
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(log.lines().empty());  // the callback itself returns at once
    scheduler.runPending();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "🔧 Process set up with UIElement: true",
                               "🔧 Current activation policy: 1",
                               "🔄 Initializing Sparkle automatic updates...",
                               "⚠️ Main menu not available",  // this desktop has no menu bar
                               "🖥️ Displays have separate Spaces: OFF",
                               "⚠️ Main menu not available",
                           }));
    EXPECT_EQ(presence.activationPolicy(), platform::ActivationPolicy::Accessory);
    EXPECT_EQ(server.attempts.size(), 1u);
    EXPECT_EQ(server.spacesAskedFor, 42u);
    EXPECT_TRUE(delegate->isLaunchComplete());
}

TEST_F(AppDelegateTest, ConnectionSucceedingOnTheSecondAttemptWaitsOnceAndGoesOn) {
    server.answers = {0, 7};
    makeDelegate();
    launch();
    EXPECT_EQ(server.attempts.size(), 1u);
    EXPECT_FALSE(delegate->isLaunchComplete());
    scheduler.advance(0.09);
    EXPECT_EQ(server.attempts.size(), 1u);  // the wait is a full 0.1 s
    scheduler.advance(0.01);
    ASSERT_EQ(server.attempts.size(), 2u);
    EXPECT_NEAR(server.attempts[1] - server.attempts[0], 0.1, 1e-9);
    EXPECT_TRUE(delegate->isLaunchComplete());
    EXPECT_EQ(server.spacesAskedFor, 7u);
    scheduler.advance(1.0);
    EXPECT_EQ(server.attempts.size(), 2u);
    EXPECT_FALSE(log.contains(kFailure));
}

TEST_F(AppDelegateTest, ThreeFailedAttemptsReportOnceAndApplyNothing) {
    server.answers = {0, 0, 0, 9};  // a fourth attempt would succeed: there is none
    makeDelegate();
    storeOtherValuesThanRunning();

    launch();
    scheduler.advance(0.29);
    EXPECT_EQ(server.attempts.size(), 3u);
    EXPECT_FALSE(log.contains(kFailure));  // the last attempt is followed by a wait too
    scheduler.advance(0.01);
    EXPECT_EQ(log.count(kFailure), 1u);
    scheduler.advance(2.0);
    EXPECT_EQ(server.attempts.size(), 3u);
    EXPECT_EQ(log.count(kFailure), 1u);
    EXPECT_FALSE(server.spacesAskedFor.has_value());
    EXPECT_FALSE(delegate->isLaunchComplete());
    EXPECT_EQ(context.overlayStyle().focusMode(), initialMode);
    EXPECT_FLOAT_EQ(context.overlayStyle().grainIntensity(), initialGrain);
    EXPECT_EQ(context.overlayController().isInSingleMode(), initialSingle);
    EXPECT_EQ(posted(settings::notifications::focusModeDidChange), 0);
    EXPECT_EQ(posted(settings::notifications::displayModeDidChange), 0);
}

TEST_F(AppDelegateTest, LaunchAppliesTheStoredModeGrainAndSingleMode) {
    makeDelegate();
    storeOtherValuesThanRunning();

    launch();
    auto& style = context.overlayStyle();
    EXPECT_EQ(style.focusMode(), storedMode);
    EXPECT_FLOAT_EQ(style.grainIntensity(), initialGrain > 0.5f ? 0.2f : 0.8f);
    EXPECT_EQ(context.overlayController().isInSingleMode(), !initialSingle);
    EXPECT_GE(posted(settings::notifications::focusModeDidChange), 1);
    EXPECT_GE(posted(settings::notifications::grainIntensityDidChange), 1);
    EXPECT_EQ(posted(settings::notifications::displayModeDidChange), 1);
}

TEST_F(AppDelegateTest, SpacesLineSaysOnOnlyForSeveralWorkspaceGroups) {
    const std::pair<std::size_t, const char*> cases[] = {
        {0, "OFF"}, {1, "OFF"}, {2, "ON"}, {4, "ON"}};
    for (const auto& [groups, shown] : cases) {
        SCOPED_TRACE(groups);
        log.clear();
        server.answers = {5};
        server.spaceGroups = groups;
        makeDelegate();
        launch();
        EXPECT_TRUE(log.contains(std::string("🖥️ Displays have separate Spaces: ") + shown));
    }
}

TEST_F(AppDelegateTest, StoredFocusOnStartsTheVeilAtConstruction) {
    store().set(settings::keys::isOverlayEnabled, true);
    makeDelegate();
    EXPECT_TRUE(context.overlayController().isMonitoring());  // before launch finishes
    scheduler.advance(0.25);
    EXPECT_EQ(desktop.openOverlayCount(), 1u);
    ASSERT_NE(desktop.overlayOn(monitor), nullptr);
}

TEST_F(AppDelegateTest, StoredFocusOffLeavesTheDesktopAlone) {
    store().set(settings::keys::isOverlayEnabled, false);
    makeDelegate();
    launch();
    scheduler.advance(1.0);
    EXPECT_FALSE(context.overlayController().isMonitoring());
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
}

TEST_F(AppDelegateTest, TerminationStopsFocusAndTheVeilFadesAway) {
    store().set(settings::keys::isOverlayEnabled, true);
    makeDelegate();
    launch();
    scheduler.advance(1.0);
    ASSERT_EQ(desktop.openOverlayCount(), 1u);

    delegate->applicationWillTerminate();
    EXPECT_FALSE(context.overlayController().isMonitoring());
    scheduler.advance(context.overlayStyle().transitionDuration() + 0.05);
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
    // Focus stays stored as on: the next start brings the veil back.
    EXPECT_TRUE(store().boolForKey(settings::keys::isOverlayEnabled));
}

TEST_F(AppDelegateTest, QuittingWhileConnectingEndsTheAttempts) {
    server.answers = {0, 0, 0};
    makeDelegate();
    launch();
    delegate->applicationWillTerminate();
    scheduler.advance(1.0);
    EXPECT_EQ(server.attempts.size(), 1u);
    EXPECT_FALSE(log.contains(kFailure));
}

TEST_F(AppDelegateTest, TheSettingsWindowShowsATaskbarEntryWhileOpen) {
    makeDelegate();
    launch();
    auto& center = context.notificationCenter();
    center.post(settings::notifications::windowWillOpen);
    EXPECT_EQ(presence.activationPolicy(), platform::ActivationPolicy::Regular);
    EXPECT_TRUE(delegate->hasVisibleWindows());
    center.post(settings::notifications::windowWillClose);  // changes nothing by itself
    EXPECT_EQ(presence.activationPolicy(), platform::ActivationPolicy::Regular);
    center.post(settings::notifications::windowDidClose);
    EXPECT_EQ(presence.activationPolicy(), platform::ActivationPolicy::Accessory);
    EXPECT_FALSE(delegate->hasVisibleWindows());

    delegate->applicationWillTerminate();  // observers go with termination
    center.post(settings::notifications::windowWillOpen);
    EXPECT_EQ(presence.activationPolicy(), platform::ActivationPolicy::Accessory);
}

}  // namespace
}  // namespace quorvel::app
