#include "update/ServerUrls.h"

#include "update/DownloadTestSupport.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(ServerUrlsTest, ServerAddressComesFromTheEnvironmentWithoutTrailingSlash) {
    {
        const test::ScopedEnvironment address("NORVANE_SERVER_URL", "http://127.0.0.1:8080//");
        EXPECT_EQ(serverAddress(), "http://127.0.0.1:8080");
    }
    {
        const test::ScopedEnvironment address("NORVANE_SERVER_URL", "  ");
        EXPECT_EQ(serverAddress(), "http://www.norvane.de");
    }
    const test::ScopedEnvironment unset("NORVANE_SERVER_URL", {});
    EXPECT_EQ(serverAddress(), "http://www.norvane.de");
}

TEST(ServerUrlsTest, DownloadFileUrlPercentEncodesTheWindows1252Bytes) {
    const QString server = "http://host:1";
    EXPECT_EQ(downloadFileUrl(server, "usb-list.csv"), "http://host:1/norvane/download/usb-list.csv");
    EXPECT_EQ(downloadFileUrl(server, "Az09-._~"), "http://host:1/norvane/download/Az09-._~");
    EXPECT_EQ(downloadFileUrl(server, QString::fromUtf8("Grüße Österreich.zip")),
              "http://host:1/norvane/download/Gr%FC%DFe%20%D6sterreich.zip");
    // A name cannot leave the download folder or smuggle in a query.
    EXPECT_EQ(downloadFileUrl(server, "../a/b?c#d%e+f"),
              "http://host:1/norvane/download/..%2Fa%2Fb%3Fc%23d%25e%2Bf");
    EXPECT_EQ(downloadFileUrl(server, QString::fromUtf8("€")), "http://host:1/norvane/download/%80");
}

TEST(ServerUrlsTest, PageUrls) {
    EXPECT_EQ(productCatalogueUrl("http://h"),
              "http://h/s_product_catalog.php?ag2=723&gruppe=696&grpname=Norvane%20HDTV-PVR");
    EXPECT_EQ(warrantyCheckUrl("http://h"), "http://h/norv_grauimport_h.php");
}

} // namespace
} // namespace norvane
