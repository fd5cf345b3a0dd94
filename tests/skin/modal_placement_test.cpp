// Where RunModal puts a dialog: over the dialog owner (the main window) or over the dialog
// running now, transient for it so it stays above; at its natural size but never larger
// than the screen; centred on its owner and moved only as far as it must to be on the
// screen; a dialog its code placed keeps its place on the screen; and dressed for touch.
#include "skin/modal_runner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>

#include "tests/support/test_application.h"

namespace tunecrest {
namespace {

// Shows each dialog, hands it to `Look` and closes it with Cancel.
class TlookRunner : public TmodalRunner {
public:
    std::function<void(QDialog&)> Look;
    int Run(QDialog& dialog) override
    {
        dialog.show();
        QApplication::processEvents();
        if (Look) Look(dialog);
        dialog.hide();
        return mrCancel;
    }
};

struct Placement : ::testing::Test {
    Placement()
    {
        screen = QGuiApplication::primaryScreen()->availableGeometry();
        owner.setGeometry(screen);
        owner.show();
        SetDialogOwner(&owner);
    }
    ~Placement() override { SetDialogOwner(nullptr); }
    QApplication& app = test::App();  // before any widget
    QRect screen;
    QWidget owner;
    std::shared_ptr<TlookRunner> runner = std::make_shared<TlookRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(Placement, ADialogOpensCentredOverItsOwnerNoLargerThanTheScreen)
{
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* body = new QWidget(&dialog);
    body->setMinimumSize(200, 100);
    body->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(body);
    auto* spin = new QSpinBox(&dialog);
    layout->addWidget(spin);
    dialog.resize(screen.width() + 300, screen.height() + 200);  // its code asks too much
    QRect seen;
    QWindow* transientFor = nullptr;
    runner->Look = [&](QDialog& d) {
        seen = d.frameGeometry();
        transientFor = d.windowHandle() ? d.windowHandle()->transientParent() : nullptr;
    };
    RunModal(dialog);
    EXPECT_TRUE(screen.contains(seen)) << seen.x() << "," << seen.y() << " " << seen.width() << "x" << seen.height();
    EXPECT_EQ(seen.size(), screen.size());
    EXPECT_EQ(transientFor, owner.windowHandle());
    EXPECT_EQ(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);  // dressed for touch

    QDialog small;
    small.resize(300, 200);
    QSize size;
    runner->Look = [&](QDialog& d) {
        seen = d.frameGeometry();
        size = d.size();
    };
    RunModal(small);
    EXPECT_EQ(size, QSize(300, 200));
    EXPECT_LE((seen.center() - owner.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(Placement, ADialogOpenedFromAnotherStaysAboveIt)
{
    QDialog outer, inner;
    outer.resize(400, 300);
    inner.resize(200, 100);
    QWindow* innerFor = nullptr;
    QRect outerSeen, innerSeen;
    runner->Look = [&](QDialog& d) {
        if (&d == &inner) {
            innerFor = d.windowHandle()->transientParent();
            innerSeen = d.frameGeometry();
            return;
        }
        outerSeen = d.frameGeometry();
        RunModal(inner);
    };
    RunModal(outer);
    EXPECT_EQ(innerFor, outer.windowHandle());
    EXPECT_LE((innerSeen.center() - outerSeen.center()).manhattanLength(), 2);
}

TEST_F(Placement, ADialogItsCodePlacedKeepsItsPlaceOnTheScreen)
{
    QDialog placed;
    placed.resize(200, 100);
    placed.move(screen.left() + 10, screen.top() + 20);
    QRect seen;
    runner->Look = [&](QDialog& d) { seen = d.frameGeometry(); };
    RunModal(placed);
    EXPECT_EQ(placed.pos(), QPoint(screen.left() + 10, screen.top() + 20));
    // Placed partly off the screen: brought back as far as it must.
    QDialog off;
    off.resize(200, 100);
    off.move(screen.right() - 50, screen.top() + 20);
    RunModal(off);
    EXPECT_EQ(seen.right(), screen.right());
    EXPECT_EQ(seen.top(), screen.top() + 20);
}

TEST(PlacementWithoutOwner, NothingMovesWhenTheProgramNamedNoOwner)
{
    test::App();
    SetDialogOwner(nullptr);
    auto runner = std::make_shared<TlookRunner>();
    TmodalRunnerScope scope{runner};
    QDialog dialog;
    dialog.resize(123, 45);
    QSize seen;
    runner->Look = [&](QDialog& d) { seen = d.size(); };
    RunModal(dialog);
    EXPECT_EQ(seen, QSize(123, 45));
    EXPECT_EQ(DialogOwner(), nullptr);
}

}  // namespace
}  // namespace tunecrest
