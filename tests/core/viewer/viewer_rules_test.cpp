#include "core/viewer/viewer_rules.h"

#include <gtest/gtest.h>

namespace arbel::viewer {
namespace {

TEST(ViewerRules, ContextMenuFollowsTheShownView) {
    auto text = popupFor(ViewKind::Text, false);
    EXPECT_TRUE(text.changed && text.items.copy && !text.items.copyEnabled && text.items.wordwrap &&
                text.items.blueHtml && !text.items.speed);
    EXPECT_TRUE(popupFor(ViewKind::Text, true).items.copyEnabled);
    auto gif = popupFor(ViewKind::Gif, true);
    EXPECT_TRUE(gif.items.speed && !gif.items.copy && !gif.items.wordwrap);
    auto jpeg = popupFor(ViewKind::Jpeg, true);
    EXPECT_TRUE(jpeg.changed && !jpeg.items.speed && !jpeg.items.copy);
    EXPECT_FALSE(popupFor(ViewKind::None, true).changed);
}

TEST(ViewerRules, SpeedAnswerMustBeAnInteger) {
    EXPECT_EQ(*parseSpeed("75"), 75);
    EXPECT_EQ(*parseSpeed(" 200 "), 200);
    EXPECT_EQ(*parseSpeed("-3"), -3);  // the player raises it to 1
    for (const char* bad : {"", "fast", "12x", "1.5", "99999999999"}) {
        auto r = parseSpeed(bad);
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_EQ(r.error().message, "'" + std::string(bad) + "' is not a valid integer value");
    }
}

}  // namespace
}  // namespace arbel::viewer
