#pragma once
// Test bench of the kitchen procedures: a station with its configuration
// loaded and an order engine window on it, printing to recording printers.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/korv_main.h"
#include "testing/test_station.h"

namespace korv::testing {

struct KitchenFixture {
  explicit KitchenFixture(const testing::ConfigFields& config = {},
                          std::vector<std::string> printers = {"KITCHEN1 TM-U220", "BAR TM-T88",
                                                               "OFFICE LASER"})
      : ts(std::move(printers)) {
    ts.WriteConfig(config);
    ts.LoadConfig();
    ts.station.StationName = "STATION7";
  }
  // The texts of a delivered document's lines, each ended by "\n".
  static std::string Text(const Document& doc) {
    std::string out;
    for (const PrintedLine& l : doc.lines) out += l.Text() + "\n";
    return out;
  }
  // The first printed line of doc whose text is text; fails the test if none.
  static const PrintedLine& LineOf(const Document& doc, const std::string& text) {
    for (const PrintedLine& l : doc.lines)
      if (l.Text() == text) return l;
    static const PrintedLine missing{{"<missing>"}};
    ADD_FAILURE() << "no line \"" << text << "\"";
    return missing;
  }
  void Buffer(const std::vector<std::string>& lines) {
    main.List2.Clear();
    for (const std::string& l : lines) main.List2.AddItem(l);
  }

  TestStation ts;
  KorvMain main{ts.station, ts.platform};
};

}  // namespace korv::testing
