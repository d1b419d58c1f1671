#include "xml_check.h"

#include <gtest/gtest.h>

namespace sc::testing {
namespace {

// The faults a hand-made SVG writer is prone to are all reported.
TEST(XmlCheck, RejectsBrokenXml) {
  EXPECT_EQ(XmlProblem("<svg><g a=\"1\"/><text>a &amp; b</text></svg>"), "");
  EXPECT_EQ(XmlProblem("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg>Citt\xC3\xA0</svg>"), "");
  for (const char* bad :
       {"<svg><g></svg>", "<svg a=1/>", "<svg>a & b</svg>", "<svg>x</svg><svg/>", "<svg a=\"<\"/>",
        "<svg>\xE0</svg>", "<svg>\x01</svg>", "<svg>&nbsp;</svg>", "", "text"}) {
    EXPECT_NE(XmlProblem(bad), "") << bad;
  }
}

}  // namespace
}  // namespace sc::testing
