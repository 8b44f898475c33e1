#include "planning/JobPlanner.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace vidorama::cli {

namespace fs = std::filesystem;

namespace {

bool IsMovieFile(const fs::directory_entry& entry) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::error_code ignored;
    return extension == ".swf" && entry.is_regular_file(ignored);
}

// The movies an argument stands for: itself, or the movies in a folder.
struct Inputs {
    std::vector<std::string> movies;
    bool fromFolder = false;
};

Inputs ExpandInputs(const std::vector<std::string>& arguments, JobPlan& plan) {
    Inputs inputs;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (!fs::is_directory(argument, error)) {
            inputs.movies.push_back(argument);
            continue;
        }
        inputs.fromFolder = true;
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(argument, error))
            if (IsMovieFile(entry))
                found.push_back(entry.path().string());
        if (error)
            plan.refusals.push_back(argument + ": cannot read the folder: " + error.message());
        else if (found.empty())
            plan.refusals.push_back(argument + ": the folder holds no .swf movies");
        std::sort(found.begin(), found.end());
        inputs.movies.insert(inputs.movies.end(), found.begin(), found.end());
    }
    return inputs;
}

bool NamesFolder(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && (path.back() == '/' || fs::is_directory(path, ignored));
}

// The output kind, from --format, from the output file's name, or the
// program's own default.
std::optional<OutputKind> ChooseKind(const ConvertOptions& options, bool outputIsFile,
                                     std::string& error) {
    if (options.format)
        return options.format;
    if (!outputIsFile)
        return OutputKind::Avi;
    if (auto kind = OutputKindOfPath(options.outputPath))
        return kind;
    error = "cannot tell the output kind from \"" + options.outputPath +
            "\"; give --format (for numbered PNG pictures --format png, and -o names their "
            "folder)";
    return std::nullopt;
}

std::string NamedAfter(const std::string& input, const fs::path& folder, OutputKind kind) {
    fs::path name = fs::path(input).stem();
    if (!IsPictureSequence(kind))
        name += "." + std::string(OutputExtension(kind));
    return (folder / name).string();
}

// Why an output cannot be written, or "".
std::string CheckOutput(const JobSpec& job, bool overwrite, const std::set<std::string>& taken) {
    std::error_code error;
    if (taken.count(fs::weakly_canonical(job.output, error).string()))
        return job.output + " is already the output of another movie of this batch";
    return CheckOutputPlace(job.input, job.output, overwrite);
}

} // namespace

std::string CheckOutputPlace(const std::string& input, const std::string& output, bool overwrite) {
    std::error_code error;
    if (!fs::exists(input, error))
        return "no such movie";
    if (fs::exists(output, error) && fs::equivalent(input, output, error))
        return "the output would replace the movie itself";
    const fs::path folder = fs::path(output).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error))
        return "the folder " + folder.string() + " does not exist";
    if (!overwrite && fs::exists(fs::symlink_status(output, error)))
        return output + " exists; give --overwrite to replace it";
    return {};
}
JobPlan PlanJobs(const ConvertOptions& options) {
    JobPlan plan;
    const Inputs inputs = ExpandInputs(options.inputs, plan);
    const bool batch = inputs.movies.size() > 1 || inputs.fromFolder;
    const bool toFolder = !options.outputPath.empty() && (batch || NamesFolder(options.outputPath));
    if (batch && !options.outputPath.empty() && !NamesFolder(options.outputPath) &&
        fs::exists(options.outputPath)) {
        plan.usageError = "-o must name a folder when several movies are converted";
        return plan;
    }
    const bool outputIsFile = !options.outputPath.empty() && !toFolder;
    const auto kind = ChooseKind(options, outputIsFile, plan.usageError);
    if (!kind)
        return plan;
    std::error_code error;
    if (toFolder && !fs::create_directories(options.outputPath, error) && error) {
        plan.usageError =
            "cannot create the output folder " + options.outputPath + ": " + error.message();
        return plan;
    }
    std::set<std::string> taken;
    for (const std::string& input : inputs.movies) {
        JobSpec job{input, options.outputPath, *kind};
        if (!outputIsFile)
            job.output = NamedAfter(
                input, toFolder ? fs::path(options.outputPath) : fs::path(input).parent_path(),
                *kind);
        if (std::string why = CheckOutput(job, options.overwrite, taken); !why.empty()) {
            plan.refusals.push_back(input + ": " + why);
            continue;
        }
        taken.insert(fs::weakly_canonical(job.output, error).string());
        plan.jobs.push_back(std::move(job));
    }
    return plan;
}

} // namespace vidorama::cli
