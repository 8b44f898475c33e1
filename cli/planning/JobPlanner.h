#pragma once

#include "ConvertOptions.h"

#include <string>
#include <vector>

namespace vidorama::cli {

// One movie to convert and where its output goes.
struct JobSpec {
    std::string input;
    std::string output;
    OutputKind kind = OutputKind::Avi;
};

struct JobPlan {
    std::vector<JobSpec> jobs;
    // One line for each input that will not be converted, saying why.
    std::vector<std::string> refusals;
    // A command line that cannot work at all; nothing is converted.
    std::string usageError;
};

// Turns the inputs (movies and folders of movies) into jobs. Each output is
// named after its input, in the output folder or beside the input, unless a
// single input names its output file. An output that exists is refused
// without --overwrite; so is one that another input of the batch would write.
JobPlan PlanJobs(const ConvertOptions& options);

// Why one movie's output cannot go to a path, or "": the movie must exist,
// the output must not be the movie itself, its folder must exist, and an
// existing output is replaced only when asked to.
std::string CheckOutputPlace(const std::string& input, const std::string& output, bool overwrite);

} // namespace vidorama::cli
