#include "common/record_tables.h"

namespace korv {
namespace {

// Appends `count` fields of `width` bytes starting at `offset`.
void AddRun(std::vector<FieldSpec>& fields, int offset, int width, int count) {
  for (int i = 0; i < count; ++i) fields.push_back({offset + i * width, width});
}

std::vector<FieldSpec> StationConfigFields() {
  std::vector<FieldSpec> f = {{0, 40},   {40, 40},  {80, 40},  {120, 20}, {140, 50},
                              {190, 40}, {230, 10}, {240, 20}, {260, 200}};
  AddRun(f, 460, 1, 12);                                // 10-21
  f.insert(f.end(), {{472, 28}, {500, 5}, {505, 20}});  // 22-24
  AddRun(f, 525, 20, 3);                                // 25-27
  f.insert(f.end(), {{585, 1},
                     {586, 20},
                     {606, 2},
                     {608, 2},
                     {610, 2},
                     {612, 288},
                     {900, 5},
                     {905, 20},
                     {925, 2}});                                        // 28-36
  AddRun(f, 927, 5, 2);                                                 // 37, 38
  f.insert(f.end(), {{937, 5}, {942, 40}, {982, 5}, {987, 1}});         // 39-42
  AddRun(f, 988, 5, 6);                                                 // 43-48
  f.insert(f.end(), {{1018, 40}, {1058, 20}, {1078, 40}, {1118, 40}});  // 49-52
  AddRun(f, 1158, 10, 2);                                               // 53, 54
  AddRun(f, 1178, 5, 18);                                               // 55-72
  f.insert(f.end(), {{1268, 20}, {1288, 2}});                           // 73, 74
  AddRun(f, 1290, 5, 27);                                               // 75-101
  f.insert(f.end(), {{1425, 20}, {1445, 5}, {1450, 5}, {1455, 20}});    // 102-105
  AddRun(f, 1475, 5, 24);                                               // 106-129
  AddRun(f, 1595, 20, 6);                                               // 130-135
  AddRun(f, 1715, 5, 24);                                               // 136-159
  f.insert(f.end(), {{1835, 10}, {1845, 455}});                         // 160, 161
  return f;
}

}  // namespace

const RecordLayout& StationConfigLayout() {
  static const RecordLayout layout(2300, StationConfigFields());
  return layout;
}

const RecordLayout& CustomerRecordLayout() {
  static const RecordLayout layout(
      2000, {{0, 20},    {20, 20},   {40, 30},    {70, 30},    {100, 30},  {130, 20},  {150, 10},
             {160, 10},  {170, 10},  {180, 1320}, {1500, 300}, {1800, 10}, {1810, 10}, {1820, 20},
             {1840, 20}, {1860, 20}, {1880, 5},   {1885, 15},  {1900, 20}, {1920, 80}});
  return layout;
}

const RecordLayout& ButtonRecordLayout() {
  static const RecordLayout layout(
      500, {{0, 2},    {2, 18},   {20, 20},  {40, 1},  {41, 20}, {61, 18},  {79, 1},
            {80, 20},  {100, 10}, {110, 10}, {120, 1}, {121, 1}, {122, 50}, {172, 10},
            {182, 20}, {202, 20}, {222, 5},  {227, 5}, {232, 1}, {233, 267}});
  return layout;
}

}  // namespace korv
