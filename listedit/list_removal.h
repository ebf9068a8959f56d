#pragma once

#include <QObject>

class Form1;

// Removing entries: what the list asks for (the Delete key or a double-click) removes the selected
// entry, "Clear List" removes all. Both do nothing while the window is busy.
class ListRemoval : public QObject {
    Q_OBJECT
public:
    explicit ListRemoval(Form1& form);

    void RemoveSelectedEntry();
    void PushButton3_Click();

private:
    Form1& form_;
};
