#pragma once

#include "platform/ProductWebsite.h"

#include <QString>

namespace vantoro {

// Targets of the main window's link buttons. The shop pages all belong to one online shop.
namespace weblinks {

inline const QString kShopVhsVideo = QStringLiteral("https://shop.vantoro.org/top100/vhs-video");
inline const QString kShopDvdVideo = QStringLiteral("https://shop.vantoro.org/top100/dvd-video");
inline const QString kShopMusic = QStringLiteral("https://shop.vantoro.org/hot100/music");
inline const QString kShopBooks = QStringLiteral("https://shop.vantoro.org/bestsellers/books");
inline const QString kShopToysAndGames = QStringLiteral("https://shop.vantoro.org/toys-and-games");
inline const QString kShopApparel = QStringLiteral("https://shop.vantoro.org/apparel");
inline const QString kShopMagazines = QStringLiteral("https://shop.vantoro.org/magazines");
inline const QString kProductPage = QString::fromLatin1(kProductWebAddress);
inline const QString kDownloadPage = kProductPage + QStringLiteral("download");

// Handed over unchanged: no recipient and no percent-encoding; the mail program fills in the rest.
inline const QString kTellAFriendMail =
    QStringLiteral("mailto:?subject=Check out Vantoro Player/Playlister/SlideShow Viewer&body=") +
    QStringLiteral("I have been using Vantoro to play my music, videos and photo slideshows and "
                   "to sort my media files, and I think you would like it too: ") +
    kDownloadPage;

inline const QString kHelpPageName = QStringLiteral("vthelp.html");

// Download page of the playback engine, shown when it is missing.
inline const QString kPlaybackEngineInstallPage = QStringLiteral("https://mpv.io/installation/");

} // namespace weblinks
} // namespace vantoro
