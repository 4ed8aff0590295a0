#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <tuple>
#include <vector>

#include "ui/KeyRouter.h"

namespace {

using Commanded = std::tuple<Command, int, bool>;

// A held key comes as presses alone, none flagged auto-repeat, and one release (an X server with
// detectable auto-repeat), or as pairs of flagged press and release (Qt's own flag). Either way
// each repeat after the first is a held one, and a release acts once per physical press.
TEST(KeyRouter, AHeldKeyRepeatsAsHeldAndActsOnReleaseOnce) {
    QWidget window;
    KeyRouter router(&window, [] { return KeyRouter::Context{ArrowKeys::PagesAndFiles, 5}; });
    router.watch(&window);
    std::vector<Commanded> got;
    QObject::connect(&router, &KeyRouter::commanded,
                     [&](Command command, int slot, bool held) { got.emplace_back(command, slot, held); });

    for (int i = 0; i < 3; ++i) QTest::keyPress(&window, Qt::Key_Space);
    QTest::keyRelease(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_Space);  // pressed afresh
    EXPECT_EQ(got, (std::vector<Commanded>{{Command::NextFile, -1, false},
                                           {Command::NextFile, -1, true},
                                           {Command::NextFile, -1, true},
                                           {Command::NextFile, -1, false}}));

    got.clear();
    QTest::keyPress(&window, Qt::Key_3);
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent repeat(type, Qt::Key_3, Qt::NoModifier, QStringLiteral("3"), true);
        QCoreApplication::sendEvent(&window, &repeat);
    }
    QTest::keyRelease(&window, Qt::Key_3);
    EXPECT_EQ(got, (std::vector<Commanded>{{Command::SendToSlot, 3, false}}));
}

}  // namespace
