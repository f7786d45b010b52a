#include "sim/sim_update_driver.h"

namespace quorvel::sim {

void SimUpdateDriver::scheduleNextCheck(double delay) {
    if (handler_) handler_->willScheduleUpdateCheck(delay);
}

void SimUpdateDriver::beginCheck() {
    if (handler_) handler_->updateCheckStarted();
}

void SimUpdateDriver::finishCheck(bool succeeded) {
    if (handler_) handler_->updateCheckFinished(succeeded);
}

void SimUpdateDriver::findUpdate(const ports::UpdateInfo& update, bool userInitiated) {
    reportUpdate(update, userInitiated, userInitiated);
}

void SimUpdateDriver::reportUpdate(const ports::UpdateInfo& update, bool userInitiated,
                                   bool driverWillShow) {
    if (handler_) handler_->updateFound(update, userInitiated, driverWillShow);
}

void SimUpdateDriver::attendToUpdate(const ports::UpdateInfo& update) {
    if (handler_) handler_->userDidAttendToUpdate(update);
}

void SimUpdateDriver::finishSession() {
    if (handler_) handler_->updateSessionWillFinish();
}

}  // namespace quorvel::sim
