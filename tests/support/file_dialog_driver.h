// Drives the real Qt file dialog from its own event loop, for tests.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vellograph {

// Answers the next file dialog that opens, from the event loop it runs.
// A dialog not seen within five seconds is a failure, and any open one is
// closed, so that nothing waits for a person.
inline void AnswerNextFileDialog(const std::function<void(QFileDialog&)>& answer) {
    auto* timer = new QTimer;
    auto attempts = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
                timer->deleteLater();
                answer(*dialog);
                return;
            }
        }
        if (++*attempts == 500) {
            ADD_FAILURE() << "no file dialog opened";
            timer->deleteLater();
        }
    });
    timer->start(10);
}

} // namespace vellograph
