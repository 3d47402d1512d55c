#include "tools/sample_menu.h"

#include <vector>

#include "common/record_tables.h"
#include "engine/menu_tables.h"

namespace korv {
namespace {

// Routing digits (fields 11 and 12) of the sample's printer routes.
struct Route {
  const char* first;
  const char* second;
};
constexpr Route kKitchen{"0", "1"};   // route 0: main kitchen ticket
constexpr Route kBar{"1", "0"};       // route 1: bar ticket
constexpr Route kBoth{"1", "1"};      // route 2: kitchen and bar
constexpr Route kNoTicket{"", ""};    // route 3: no ticket (served at the counter)
constexpr Route kColdLine{"0", "4"};  // route 4: "KITCHEN 3"
constexpr Route kPastry{"0", "5"};    // route 5: "KITCHEN 4"
constexpr Route kGrill{"0", "6"};     // route 6: "KITCHEN 5"
constexpr Route kPasta{"0", "7"};     // route 7: "KITCHEN 6"
constexpr Route kFryer{"0", "8"};     // route 8: "KITCHEN 7"

struct Item {
  const char* caption;
  const char* kitchen_text;
  const char* price;
  const char* tax;  // "T" taxable, "F" not
  Route route;
  const char* course;  // blank reads as "Main Course"
  const char* second_price = "";
};

struct Category {
  const char* caption;
  std::vector<Item> items;
};

const std::vector<Category>& SampleCategories() {
  static const std::vector<Category> kCategories = {
      {"Appetizers",
       {{"Wings", "WINGS 10PC", "9.95", "T", kFryer, "Appetizer"},
        {"Nachos", "NACHOS", "8.50", "T", kKitchen, "Appetizer"},
        {"Mozz Sticks", "MOZZ STICKS", "7.25", "T", kFryer, "Appetizer"},
        {"Bar Pretzel", "PRETZEL", "6.00", "T", kBoth, "Appetizer"}}},
      {"Soups Salads",
       {{"Soup of the Day", "SOUP DAY", "4.50", "T", kKitchen, "Soup/Salad"},
        {"French Onion", "FR ONION", "5.25", "T", kKitchen, "Soup/Salad"},
        {"House Salad", "HOUSE SAL", "6.50", "T", kColdLine, "Soup/Salad"},
        {"Caesar Salad", "CAESAR", "7.95", "T", kColdLine, "Soup/Salad"}}},
      {"Burgers",
       {{"Classic Burger", "BURGER", "11.50", "T", kGrill, ""},
        {"Cheeseburger", "CHZ BURGER", "12.25", "T", kGrill, ""},
        {"Bacon Burger", "BACON BURGER", "13.50", "T", kGrill, ""},
        {"Veggie Burger", "VEG BURGER", "11.95", "T", kGrill, ""}}},
      {"Sandwiches",
       {{"Club", "CLUB", "10.95", "T", kKitchen, "Main Course"},
        {"Reuben", "REUBEN", "11.25", "T", kKitchen, "Main Course"},
        {"Grilled Chicken", "GRL CHIX SAND", "10.50", "T", kGrill, "Main Course"}}},
      {"Entrees",
       {{"Ribeye 12oz", "RIBEYE", "24.95", "T", kGrill, "Main Course"},
        {"Salmon", "SALMON", "19.95", "T", kKitchen, "Main Course"},
        {"Fish & Chips", "FISH CHIPS", "15.50", "T", kFryer, "Main Course"},
        {"Half Chicken", "1/2 CHICKEN", "16.25", "T", kKitchen, "Main Course"}}},
      {"Pasta",
       {{"Spaghetti", "SPAGHETTI", "12.95", "T", kPasta, ""},
        {"Fettuccine Alfredo", "FETT ALFREDO", "13.95", "T", kPasta, ""},
        {"Lasagna", "LASAGNA", "14.50", "T", kPasta, ""}}},
      {"Kids",
       {{"Kids Tenders", "KID TENDERS", "6.95", "T", kFryer, ""},
        {"Kids Mac", "KID MAC", "5.95", "T", kPasta, ""},
        {"Kids Milk", "KID MILK", "1.50", "F", kNoTicket, ""}}},
      {"Desserts",
       {{"Cheesecake", "CHEESECAKE", "6.50", "T", kPastry, "Dessert"},
        {"Brownie Sundae", "BROWNIE SUNDAE", "7.25", "T", kPastry, "Dessert"},
        {"Apple Pie", "APPLE PIE", "5.50", "T", kPastry, "Dessert"}}},
      {"Beverages",
       {{"Soda", "SODA", "2.50", "T", kNoTicket, ""},
        {"Iced Tea", "ICED TEA", "2.50", "T", kNoTicket, ""},
        {"Coffee", "COFFEE", "2.25", "T", kNoTicket, ""},
        {"Milkshake", "SHAKE", "4.95", "T", kKitchen, "Dessert"}}},
      {"Bar",
       {{"Draft Beer", "DRAFT", "5.00", "T", kBar, "", "3.50"},
        {"House Wine", "HOUSE WINE", "7.00", "T", kBar, "", "5.00"},
        {"Margarita", "MARGARITA", "8.50", "T", kBar, ""},
        {"Bloody Mary", "BLOODY MARY", "8.00", "T", kBar, ""}}},
  };
  return kCategories;
}

const std::vector<Item>& QuickItems() {
  static const std::vector<Item> kQuick = {
      {"Coffee", "COFFEE", "2.25", "T", kNoTicket, ""},
      {"Soda", "SODA", "2.50", "T", kNoTicket, ""},
      {"Fries", "FRIES", "3.50", "T", kFryer, ""},
      {"House Salad", "HOUSE SAL", "6.50", "T", kColdLine, "Soup/Salad"},
      {"Draft Beer", "DRAFT", "5.00", "T", kBar, "", "3.50"},
  };
  return kQuick;
}

ButtonRecord ItemRecord(int number, const Item& item) {
  ButtonRecord r;
  r.Set(1, std::to_string(number));
  r.Set(2, item.caption);
  r.Set(4, "T");
  r.Set(5, item.caption);
  r.Set(6, item.kitchen_text);
  r.Set(7, item.tax);
  r.Set(9, item.price);
  r.Set(10, item.second_price);
  r.Set(11, item.route.first);
  r.Set(12, item.route.second);
  r.Set(16, item.course);
  return r;
}

// Records for the buttons of one file; buttons without an entry are blank
// records, and so stay hidden.
std::vector<ButtonRecord> ItemRecords(const std::vector<Item>& items, int count) {
  std::vector<ButtonRecord> records(count);
  for (size_t i = 0; i < items.size() && static_cast<int>(i) < count; ++i)
    records[i] = ItemRecord(static_cast<int>(i) + 1, items[i]);
  return records;
}

std::vector<ButtonRecord> CategoryRecords() {
  std::vector<ButtonRecord> records(12);
  const auto& categories = SampleCategories();
  for (size_t i = 0; i < categories.size(); ++i) {
    records[i].Set(1, std::to_string(i + 1));
    records[i].Set(2, categories[i].caption);
    records[i].Set(3, categories[i].caption);
    records[i].Set(4, "T");
  }
  return records;
}

std::string Bytes(const std::vector<ButtonRecord>& records) {
  std::string bytes;
  for (const ButtonRecord& r : records) bytes += r.bytes();
  return bytes;
}

void WriteButtonFile(FileSystem& files, const MenuFile& file) {
  files.CloseAll();
  try {
    int f = files.Open(file.path, OpenMode::kReadWrite);
    files.Lock(f);
    files.Rewrite(f, file.bytes);
    files.Unlock(f);
  } catch (...) {
    files.CloseAll();
    throw;
  }
  files.CloseAll();
}

}  // namespace

std::vector<MenuFile> SampleMenuFiles(const std::string& data_root) {
  std::vector<MenuFile> menu = {
      {data_root + kMainButtonsFile, Bytes(CategoryRecords())},
      {data_root + kQuickButtonsFile, Bytes(ItemRecords(QuickItems(), 5))}};
  const auto& categories = SampleCategories();
  for (size_t page = 0; page < categories.size(); ++page)
    menu.push_back({data_root + PageButtonFile(static_cast<int>(page)),
                    Bytes(ItemRecords(categories[page].items, 12))});
  return menu;
}

void WriteSampleMenu(FileSystem& files, const std::string& data_root) {
  files.MakeFolders(data_root + "ini");
  for (const MenuFile& file : SampleMenuFiles(data_root)) WriteButtonFile(files, file);
}

}  // namespace korv
