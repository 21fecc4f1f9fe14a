#include "app/shell/settings_store.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

TEST(SettingsStore, ValuesOfAnyLengthReadBackWholeFromTheNamedFile) {
    test::TempDir dir;
    const QString file = QString::fromStdString((dir.path() / "settings.ini").string());
    const QString longFolder = QString(300, 'x');
    {
        SettingsStore store(file);
        EXPECT_FALSE(store.read(setting::kEds).has_value());
        store.write(setting::kEds, longFolder);
        store.write(setting::kLang, "0");
    }
    SettingsStore again(file);
    EXPECT_EQ(again.read(setting::kEds).value_or(""), longFolder);
    EXPECT_EQ(again.read(setting::kLang).value_or(""), "0");
}

} // namespace
} // namespace busmason::app
