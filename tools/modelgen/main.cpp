// narv-modelgen DIR: writes the delivered models (data/models/*.mod) into DIR through the
// program's own model writer. narv-modelgen --example DIR: writes the example project
// asm1-benchmark (model, plant, variation, measured data) into DIR through the program's writers.
#include "DeliveredModels.h"
#include "ExampleProjects.h"
#include "SpecialExamples.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>

namespace {

void writeDeliveredModels(const std::filesystem::path& directory)
{
    for (const auto& delivered : narv::modelgen::DeliveredModels()) {
        const auto model = std::make_unique<narv::TModelDef>(delivered.make());
        const std::filesystem::path target = directory / delivered.fileName;
        narv::WriteModelFile(target, *model);
        std::cout << target.string() << '\n';
    }
}

void writeExampleProject(const std::string& project, const std::filesystem::path& directory)
{
    const auto files =
        project == narv::modelgen::kSbrDemoProject  ? narv::modelgen::SbrDemoProjectFiles()
        : project == narv::modelgen::kAIDemoProject ? narv::modelgen::AIDemoProjectFiles()
                                                    : narv::modelgen::Asm1BenchmarkProjectFiles();
    for (const auto& file : files) {
        const std::filesystem::path target = directory / file.fileName;
        narv::writeFileAtomically(target, [&](std::ostream& out) { out << file.bytes; });
        std::cout << target.string() << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool example = (argc == 3 || argc == 4) && std::string(argv[1]) == "--example";
    const std::string project = argc == 4 ? argv[2] : narv::modelgen::kAsm1BenchmarkProject;
    const bool known = project == narv::modelgen::kAsm1BenchmarkProject ||
                       project == narv::modelgen::kSbrDemoProject ||
                       project == narv::modelgen::kAIDemoProject;
    if ((argc != 2 && !example) || !known) {
        std::cerr << "Usage: narv-modelgen DIRECTORY\n"
                     "       narv-modelgen --example [asm1-benchmark|sbr-demo|ai-demo] DIRECTORY\n"
                     "Writes asm1.mod and asm3.mod into DIRECTORY (normally data/models); with\n"
                     "--example the project asm1-benchmark (normally examples/asm1-benchmark).\n";
        return 2;
    }
    const std::filesystem::path directory = argv[argc - 1];
    try {
        if (!std::filesystem::is_directory(directory))
            throw narv::IoError(directory.string() + " is not a directory.");
        if (example)
            writeExampleProject(project, directory);
        else
            writeDeliveredModels(directory);
    } catch (const std::exception& error) {
        std::cerr << "narv-modelgen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
