#pragma once
// Reading the station configuration file C:\Korvain\KorvINI.dat, shared by
// the scheduler's start-up and the order engine's start-up.

#include "common/station.h"
#include "platform/files/file_system.h"
#include "platform/files/kept_files.h"

namespace korv {

// Sets LocalRoot to "C:\Korvain\" and WorkPath to the configuration file;
// when the file exists, reads record 1 (random access, record length 2300,
// locked only while it is read) and applies it with ApplyStationConfig.
// A missing file leaves every other setting as it was. Raises the file
// layer's RuntimeError (70 for a lock held elsewhere) with the settings
// untouched and no file left open. kept, when given, reads the file only
// when it changed since it was last read there.
void ReadStationConfigFile(Station& station, FileSystem& files, KeptFiles* kept = nullptr);

// Why the configuration file at path cannot serve as the station's record:
// "does not exist", "is empty" or "holds N bytes, not the 2300 of a station
// record"; empty when it is whole. Nothing is opened or locked.
std::string ConfigFileProblem(const FileSystem& files, const std::string& path);

// Why a root folder setting (LocalRoot, DataRoot) cannot serve to build the
// station's paths: "is blank", or "\"F:\KORVAIN\" does not end with a
// backslash: the station would use F:\KORVAINPhoneOrders\" for the example
// path "PhoneOrders\"; empty when it can.
std::string RootTextProblem(const std::string& value, const std::string& example);

// Reads the configuration with ReadStationConfigFile and says why the station
// cannot work from it, naming the file or the folder: the file is missing,
// empty, shorter than its record or cannot be read (error 70 while another
// station holds it), or DataRoot is blank, does not end with a backslash, or
// names no folder with a PhoneOrders\ in it. Empty when the station can work.
std::string StationConfigProblem(Station& station, FileSystem& files);

}  // namespace korv
