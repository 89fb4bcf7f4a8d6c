#include "platform/QtShellOpener.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

// The mail text arrives unencoded and leaves encoded: blanks as %20, the separators of subject
// and body kept, nothing lost on the way.
TEST(QtShellOpener, MailTextIsEncodedOnTheWayOutAndKeepsItsParts)
{
    const QString mail = QStringLiteral("mailto:?subject=Check out Vantoro Player&body=I like it: "
                                        "https://www.vantoro.org/download");
    const QUrl url = QtShellOpener::urlFor(mail);
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    const QByteArray encoded = url.toEncoded();
    EXPECT_FALSE(encoded.contains(' '));
    EXPECT_TRUE(encoded.startsWith("mailto:?subject=Check%20out%20Vantoro%20Player&body=I%20like"))
        << encoded.constData();
    EXPECT_EQ(url.toString(QUrl::FullyDecoded), mail);
}

TEST(QtShellOpener, LocalPathsOpenAsFilesAndAddressesAsTheyStand)
{
    const QUrl file = QtShellOpener::urlFor(QStringLiteral("/home/u/My Help/vthelp.html"));
    EXPECT_TRUE(file.isLocalFile());
    EXPECT_EQ(file.toLocalFile(), QStringLiteral("/home/u/My Help/vthelp.html"));
    EXPECT_EQ(QtShellOpener::urlFor(QStringLiteral("https://www.vantoro.org/")).toEncoded(),
              "https://www.vantoro.org/");
}

} // namespace
} // namespace vantoro
