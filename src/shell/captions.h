#pragma once

#include <QString>

// Every caption the windows show, exactly as the program has always shown
// them: half-width katakana stays half-width, full-width stays full-width.
namespace Captions {

inline const QString MsPGothic = QStringLiteral(u"ＭＳ Ｐゴシック"); // the face every stored font names
inline const QString TodayCaption = QStringLiteral(u"ﾐﾚﾎﾞ");
inline const QString CalendarCaption = QStringLiteral(u"ミレボ");
inline const QString File = QStringLiteral(u"ﾌｧｲﾙ(&F)");
inline const QString FileExit = QStringLiteral(u"終了(&X)");
inline const QString View = QStringLiteral(u"表示(&V)");
inline const QString ViewCalendar = QStringLiteral(u"ｶﾚﾝﾀﾞｰ(&C)");
inline const QString ViewDay = QStringLiteral(u"1日(&D)");
inline const QString View1 = QStringLiteral(u"1ヶ月(&M)");
inline const QString View3 = QStringLiteral(u"3ヶ月(&T)");
inline const QString View6 = QStringLiteral(u"6ヶ月(&S)");
inline const QString View6Key6 = QStringLiteral(u"6ヶ月(&6)"); // the twelve-month window's entry
inline const QString View12 = QStringLiteral(u"12ヶ月(&Y)");
inline const QString ViewAbout = QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ情報(&A)");

// Weekday suffixes of the date strip, 1 = Sunday ... 7 = Saturday.
inline const QString WeekdaySuffix[7] = {
    QStringLiteral(u"(日)"), QStringLiteral(u"(月)"), QStringLiteral(u"(火)"), QStringLiteral(u"(水)"),
    QStringLiteral(u"(木)"), QStringLiteral(u"(金)"), QStringLiteral(u"(土)"),
};

} // namespace Captions
