#pragma once

#include "shell/forms.h"

#include <QDate>

class DateLabel;

// The startup window: one line with today's long date and its weekday,
// at the lower right corner of the screen, above other windows.
class FrmMain : public Form
{
    Q_OBJECT

public:
    FrmMain();

    // The label text for a day: the long date directly followed by the
    // weekday in parentheses.
    static QString dateText(QDate date);

protected:
    void Form_Load() override;

private:
    // The date part of the load step, run again when the day changes.
    void showDate();

    void LblDate_DblClick();
    void mnuFileExit_Click();
    void mnuHyouzi1_Click();
    void mnuHyouzi3_Click();
    void mnuHyouzi6_Click();
    void mnuHyouzi12_Click();
    void mnuHyouziAbout_Click();

    DateLabel *LblDate;
    QDate m_date; // the day shown
};
