#include "app/app_delegate.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

#include "app/app_context.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_application.h"
#include "sim/sim_desktop.h"
#include "sim/sim_keyboard_layout.h"
#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::app {
namespace {

constexpr const char* kFailure = "⚠️ The X server did not answer after retries";

/// A window server that answers each connection attempt from a script and
/// remembers when it was asked.
class ScriptedWindowServer final : public ports::WindowServer {
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

}  // namespace
}  // namespace quorvel::app
