#pragma once

#include "shell/appinfo_config.h"

#include <QString>

// The stored texts of the About window, exactly as the program has always
// shown them; half-width katakana stays half-width.
namespace AboutCaptions {

inline const QString StoredCaption = QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ情報");   // the caption as stored, replaced at load
inline const QString CaptionSuffix = QStringLiteral(u"のﾊﾞｰｼﾞｮﾝ情報"); // follows the title directly, no space
inline const QString TitlePlaceholder = QStringLiteral(u"ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ");
inline const QString VersionPlaceholder = QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ");
inline const QString VersionPrefix = QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ "); // the word and one space
inline const QString Description = QStringLiteral(u"ﾐﾚﾎﾞ（ﾐﾚﾎﾞﾅ）に関するｻﾎﾟｰﾄについては以下のURLをご覧ください。");
inline const QString Brand = QStringLiteral(u"「" MIREBO_MAKER u"」");   // the maker's brand
inline const QString SysInfoButton = QStringLiteral(u"ｼｽﾃﾑ情報(&S)..."); // Alt+S presses it
inline const QString OK = QStringLiteral(u"OK");

} // namespace AboutCaptions
