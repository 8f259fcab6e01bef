#pragma once

#include "shell/forms.h"

#include <QDate>
#include <QList>

class MonthView;

// What sets one calendar window apart from the others.
struct CalendarLayout
{
    FormKind kind;
    const char *monthViewName;
    int columns, rows;
    int viewWidth, viewHeight;     // twips
    int clientWidth, clientHeight; // twips
    float cornerLeft, cornerTop;   // twips subtracted from the screen size
    bool ownFont;                  // carries its font instead of the window's
};

// A calendar of 1, 3, 6 or 12 months at the lower right corner of the
// screen, above other windows, opening on today with the Sundays in bold.
class CalendarForm : public Form
{
    Q_OBJECT

public:
    MonthView *monthView() const { return m_view; }

    // The Sunday emphasis: marks one day in seven of the run the month view
    // displays, counted from its first day, which is a Sunday when the week
    // starts on Sunday.
    static void markSundays(const MonthView &view, QDate StartDate, int Count, QList<bool> &State);

protected:
    explicit CalendarForm(const CalendarLayout &layout);
    void Form_Load() override;

    void mnuFileExit_Click();
    void mnuHyouziDay_Click();
    void mnuHyouzi1_Click();
    void mnuHyouzi3_Click();
    void mnuHyouzi6_Click();
    void mnuHyouzi12_Click();

private:
    void MonthView_GetDayBold(QDate StartDate, int Count, QList<bool> &State);

    const CalendarLayout &m_layout;
    MonthView *m_view;
};

class FrmCalender : public CalendarForm
{
    Q_OBJECT
public:
    FrmCalender();
};

class FrmCalender3 : public CalendarForm
{
    Q_OBJECT
public:
    FrmCalender3();
};

class FrmCalender6 : public CalendarForm
{
    Q_OBJECT
public:
    FrmCalender6();
};

class FrmCalender12 : public CalendarForm
{
    Q_OBJECT
public:
    FrmCalender12();
};
