// narv-modelgen DIR: writes the delivered models (data/models/*.mod) into DIR through the
// program's own model writer. narv-modelgen --example DIR: writes the example project
// asm1-benchmark (model, plant, variation, measured data) into DIR through the program's writers.
#include "DeliveredModels.h"
#include "ExampleProjects.h"

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

void writeExampleProject(const std::filesystem::path& directory)
{
    for (const auto& file : narv::modelgen::Asm1BenchmarkProjectFiles()) {
        const std::filesystem::path target = directory / file.fileName;
        narv::writeFileAtomically(target, [&](std::ostream& out) { out << file.bytes; });
        std::cout << target.string() << '\n';
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool example = argc == 3 && std::string(argv[1]) == "--example";
    if (argc != 2 && !example) {
        std::cerr << "Usage: narv-modelgen DIRECTORY\n"
                     "       narv-modelgen --example DIRECTORY\n"
                     "Writes asm1.mod and asm3.mod into DIRECTORY (normally data/models); with\n"
                     "--example the project asm1-benchmark (normally examples/asm1-benchmark).\n";
        return 2;
    }
    const std::filesystem::path directory = argv[argc - 1];
    try {
        if (!std::filesystem::is_directory(directory))
            throw narv::IoError(directory.string() + " is not a directory.");
        if (example)
            writeExampleProject(directory);
        else
            writeDeliveredModels(directory);
    } catch (const std::exception& error) {
        std::cerr << "narv-modelgen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
