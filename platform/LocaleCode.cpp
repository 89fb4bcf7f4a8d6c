#include "platform/LocaleCode.h"

#include <QByteArray>

#include <array>

namespace vantoro {

namespace {

struct LocaleEntry
{
    const char* name; // language_TERRITORY, or a language alone for its neutral code
    unsigned code;
};

// Windows locale identifiers of the languages and territories a desktop commonly runs in.
// A bare language stands for its neutral code (the low ten bits of every identifier).
constexpr std::array kLocales{
    LocaleEntry{"af_ZA", 0x0436},
    LocaleEntry{"ar_AE", 0x3801},
    LocaleEntry{"ar_EG", 0x0C01},
    LocaleEntry{"ar_SA", 0x0401},
    LocaleEntry{"az_AZ", 0x042C},
    LocaleEntry{"be_BY", 0x0423},
    LocaleEntry{"bg_BG", 0x0402},
    LocaleEntry{"bs_BA", 0x141A},
    LocaleEntry{"ca_ES", 0x0403},
    LocaleEntry{"cs_CZ", 0x0405},
    LocaleEntry{"cy_GB", 0x0452},
    LocaleEntry{"da_DK", 0x0406},
    LocaleEntry{"de_AT", 0x0C07},
    LocaleEntry{"de_CH", 0x0807},
    LocaleEntry{"de_DE", 0x0407},
    LocaleEntry{"de_LI", 0x1407},
    LocaleEntry{"de_LU", 0x1007},
    LocaleEntry{"el_GR", 0x0408},
    LocaleEntry{"en_AU", 0x0C09},
    LocaleEntry{"en_CA", 0x1009},
    LocaleEntry{"en_GB", 0x0809},
    LocaleEntry{"en_IE", 0x1809},
    LocaleEntry{"en_IN", 0x4009},
    LocaleEntry{"en_NZ", 0x1409},
    LocaleEntry{"en_SG", 0x4809},
    LocaleEntry{"en_US", 0x0409},
    LocaleEntry{"en_ZA", 0x1C09},
    LocaleEntry{"es_AR", 0x2C0A},
    LocaleEntry{"es_CL", 0x340A},
    LocaleEntry{"es_CO", 0x240A},
    LocaleEntry{"es_ES", 0x0C0A},
    LocaleEntry{"es_MX", 0x080A},
    LocaleEntry{"es_US", 0x540A},
    LocaleEntry{"et_EE", 0x0425},
    LocaleEntry{"eu_ES", 0x042D},
    LocaleEntry{"fa_IR", 0x0429},
    LocaleEntry{"fi_FI", 0x040B},
    LocaleEntry{"fo_FO", 0x0438},
    LocaleEntry{"fr_BE", 0x080C},
    LocaleEntry{"fr_CA", 0x0C0C},
    LocaleEntry{"fr_CH", 0x100C},
    LocaleEntry{"fr_FR", 0x040C},
    LocaleEntry{"fr_LU", 0x140C},
    LocaleEntry{"ga_IE", 0x083C},
    LocaleEntry{"gl_ES", 0x0456},
    LocaleEntry{"he_IL", 0x040D},
    LocaleEntry{"hi_IN", 0x0439},
    LocaleEntry{"hr_HR", 0x041A},
    LocaleEntry{"hu_HU", 0x040E},
    LocaleEntry{"hy_AM", 0x042B},
    LocaleEntry{"id_ID", 0x0421},
    LocaleEntry{"is_IS", 0x040F},
    LocaleEntry{"it_CH", 0x0810},
    LocaleEntry{"it_IT", 0x0410},
    LocaleEntry{"ja_JP", 0x0411},
    LocaleEntry{"ka_GE", 0x0437},
    LocaleEntry{"kk_KZ", 0x043F},
    LocaleEntry{"ko_KR", 0x0412},
    LocaleEntry{"lb_LU", 0x046E},
    LocaleEntry{"lt_LT", 0x0427},
    LocaleEntry{"lv_LV", 0x0426},
    LocaleEntry{"mk_MK", 0x042F},
    LocaleEntry{"ms_MY", 0x043E},
    LocaleEntry{"mt_MT", 0x043A},
    LocaleEntry{"nb_NO", 0x0414},
    LocaleEntry{"nl_BE", 0x0813},
    LocaleEntry{"nl_NL", 0x0413},
    LocaleEntry{"nn_NO", 0x0814},
    LocaleEntry{"pl_PL", 0x0415},
    LocaleEntry{"pt_BR", 0x0416},
    LocaleEntry{"pt_PT", 0x0816},
    LocaleEntry{"ro_RO", 0x0418},
    LocaleEntry{"ru_RU", 0x0419},
    LocaleEntry{"sk_SK", 0x041B},
    LocaleEntry{"sl_SI", 0x0424},
    LocaleEntry{"sq_AL", 0x041C},
    LocaleEntry{"sr_RS", 0x241A},
    LocaleEntry{"sv_FI", 0x081D},
    LocaleEntry{"sv_SE", 0x041D},
    LocaleEntry{"th_TH", 0x041E},
    LocaleEntry{"tr_TR", 0x041F},
    LocaleEntry{"uk_UA", 0x0422},
    LocaleEntry{"ur_PK", 0x0420},
    LocaleEntry{"uz_UZ", 0x0443},
    LocaleEntry{"vi_VN", 0x042A},
    LocaleEntry{"zh_CN", 0x0804},
    LocaleEntry{"zh_HK", 0x0C04},
    LocaleEntry{"zh_SG", 0x1004},
    LocaleEntry{"zh_TW", 0x0404},
    // Languages whose usual territory shares no code with the language.
    LocaleEntry{"no_NO", 0x0414},
};

QString hexCode(unsigned code)
{
    return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString localeCodeFor(const QString& posixLocale)
{
    // language[_territory][.codeset][@modifier]
    QString name = posixLocale;
    name.truncate(name.indexOf(QLatin1Char('@')) < 0 ? name.size()
                                                     : name.indexOf(QLatin1Char('@')));
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                     : name.indexOf(QLatin1Char('.')));
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return {};
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    const QString language = name.left(underscore < 0 ? name.size() : underscore).toLower();
    const QString territory = underscore < 0 ? QString() : name.mid(underscore + 1).toUpper();
    const QString wanted = language + QLatin1Char('_') + territory;

    unsigned neutral = 0;
    for (const LocaleEntry& entry : kLocales) {
        const QLatin1String entryName(entry.name);
        if (entryName == wanted)
            return hexCode(entry.code);
        if (neutral == 0 && entryName.startsWith(QString(language + QLatin1Char('_'))))
            neutral = entry.code & 0x3FF;
    }
    return neutral != 0 ? hexCode(neutral) : QString();
}

QString processLocaleCode()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return localeCodeFor(value);
    }
    return {};
}

} // namespace vantoro
