// Names from answers anyone on the network can send are shown as the letters they are: nothing
// reorders, hides or blanks them.
#include "session/TableFinder.h"

#include <gtest/gtest.h>

using pelvo::TableFinder;

TEST(TableFinder, ShownNamesCannotReorderHideOrBlank) {
    const struct {
        QString name, shown;
    } cases[] = {
        {u"\u202Eevil"_qs, "evil"},                             // right-to-left override
        {u"\u202Dl\u202Cive\u2067x\u2069"_qs, "livex"},         // overrides, pops and isolates
        {u"a\u200Bb\u200Cc\u200Dd\uFEFFe\u2060f"_qs, "abcdef"}, // zero-width characters
        {u"\u200E\u200F"_qs, ""},                               // direction marks alone: blank
        {u"\u200B\u200B\u200B"_qs, ""},                         // zero-width only: blank
        {u"\u3164\u115F\u2800 \u034F"_qs, ""},                  // invisible fillers: blank
        {u"\u0301\u0301"_qs, ""},                               // combining marks on nothing
        {u"so\u00ADft"_qs, "soft"},                             // soft hyphen
        {u"tag\U000E0041\U000E007F"_qs, "tag"},                 // tag characters
        {u"Back \u2028 Room\u2029"_qs, "Back Room"},            // line breaks become spaces
        {u"  spaced   out "_qs, "spaced out"},
        {u"Caf\u00e9 \u2615 \u05e2\u05d1\u05e8\u05d9\u05ea"_qs,
         u"Caf\u00e9 \u2615 \u05e2\u05d1\u05e8\u05d9\u05ea"_qs},
        {u"Re\u0301my \U0001F0A1"_qs, u"Re\u0301my \U0001F0A1"_qs}, // marks on letters stay
    };
    for (const auto& c : cases)
        EXPECT_EQ(TableFinder::shownName(c.name), c.shown) << c.name.toStdString();
}
