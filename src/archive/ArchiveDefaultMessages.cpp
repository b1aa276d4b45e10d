#include "archive/ArchiveDefaultMessages.h"

#include <iterator>

namespace quireforge {

namespace {

const ArchiveMessageEntry kMessages[] = {
    {10101, "Fatal Error in DLL: abort exception"},
    {10102, "Error - no zip file specified!"},
    {10103, "Requested memory not available"},
    {10118, "DLL Error - Aborting"},
    {10120, "DLL Error - User Cancelled"},
    {10121, "DLL Error - Not enough memory"},
    {10122, "DLL Error - Invalid structure"},
    {10123, "DLL Error - Exception in handler "},
    {10124, "critical DLL Error %d"},
    {10126, "Skipped %s %d"},
    {10201, "Seek error reading Zip archive!"},
    {10202, "Unknown error in List() function\n"},
    {10203, "Warning - Error in zip structure!"},
    {10301, "Nothing to add - no file specs given"},
    {10302, "A password is needed for encryption"},
    {10308, "Destination directory '%s' must exist!"},
    {10650, "Failed to load %s"},
    {10651, "Unable to load %s - It is old or corrupt"},
    {11002, "Zip file could not be opened"},
    {11003, "Not a valid drive: %s"},
    {11004, "Drive %s is NOT defined"},
    {11011, "Error while reading the End Of Central Directory"},
    {11013, "Error while reading a central header"},
    {11015, "A central header signature is wrong"},
    {11017, "Error while reading a central file name"},
    {11036, "This archive is not a valid Zip archive"},
    {11051, "Cannot write to %s"},
    {11401, "*Resetting Archive bit"},
    {11402, "*Copying Zip File"},
    {11403, "*SFX"},
    {11404, "*??"},
    {11405, "*Finalising"},
    {11406, "*Copying"},
    {11407, "*Central Directory"},
    {11408, "*Checking"},
    {11409, "*Loading Directory"},
    {11410, "*Joining split zip file"},
    {11411, "*Splitting zip file"},
};

}  // namespace

std::span<const ArchiveMessageEntry> ArchiveDefaultMessages() {
  return {std::begin(kMessages), std::end(kMessages)};
}

}  // namespace quireforge
