#pragma once
// TStartupPage: the full-screen page of an unattended start-up that has not reached the server
// yet. It says why the last try failed, in the failure's own words, and when the next try is;
// nothing on it waits for a touch.
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

namespace kiosk {

class DateTime;

class TStartupPage : public QWidget {
    Q_OBJECT
public:
    explicit TStartupPage(QWidget* parent = nullptr);

    void ShowTrying();
    void ShowFailure(const std::vector<std::string>& texts, const DateTime& nextTry);

    QLabel* LabTitle;
    QLabel* LabFailure;
    QLabel* LabNextTry;
};

} // namespace kiosk
