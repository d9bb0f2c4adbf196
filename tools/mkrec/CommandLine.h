#pragma once
// The generator's command line: `movie OUT.MOV [options]` and `card DIR [options]`.
#include "mkrec/CardMaker.h"
#include "mkrec/MovieMaker.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::mkrec {

struct MovieCommand {
    std::filesystem::path Out;
    std::filesystem::path RecordsJson; // empty: none
    MovieOptions Options;
};

struct CardCommand {
    std::filesystem::path Dir;
    CardOptions Options;
};

// Both throw std::invalid_argument with a one-line message on a bad command line.
MovieCommand ParseMovieCommand(const std::vector<std::string>& args);
CardCommand ParseCardCommand(const std::vector<std::string>& args);

extern const char* const kUsage;

} // namespace kestrel::mkrec
