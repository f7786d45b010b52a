#include "qt/update_dialog.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>

namespace quorvel::qt {
namespace {

TEST(UpdateDialog, DownloadOpensTheReleasePageTheLinkTheNotesAndLaterNothing) {
    const ports::UpdateInfo update{"1.3.0", "1.3", "https://example.test/notes/1.3",
                                   "https://example.test/releases/1.3"};
    std::vector<QUrl> opened;
    const auto open = [&](const QUrl& u) { opened.push_back(u); };
    UpdateDialog download(update, "1.2.0", open);
    auto* notes = download.findChild<QLabel*>("releaseNotes");
    ASSERT_NE(notes, nullptr);
    notes->linkActivated("notes");  // as a click on the link does
    download.downloadButton()->click();
    EXPECT_EQ(download.result(), QDialog::Accepted);
    UpdateDialog later(update, "1.2.0", open);
    later.laterButton()->click();
    EXPECT_EQ(later.result(), QDialog::Rejected);
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://example.test/notes/1.3"),
                                         QUrl("https://example.test/releases/1.3")}));
}

}  // namespace
}  // namespace quorvel::qt
