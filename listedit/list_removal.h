#pragma once

#include <QObject>

class Form1;

// Removing entries: the Delete key (whatever modifiers are held) and a double-click remove the
// selected entry, "Clear List" removes all. All three do nothing while the window is busy.
class ListRemoval : public QObject {
    Q_OBJECT
public:
    explicit ListRemoval(Form1& form);

    void RemoveSelectedEntry();
    void PushButton3_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1& form_;
};
