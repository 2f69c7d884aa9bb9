// narv-modelgen DIR: writes the delivered models (data/models/*.mod) into DIR through the
// program's own model writer.
#include "DeliveredModels.h"

#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: narv-modelgen DIRECTORY\n"
                     "Writes asm1.mod and asm3.mod into DIRECTORY (normally data/models).\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    try {
        if (!std::filesystem::is_directory(directory))
            throw narv::IoError(directory.string() + " is not a directory.");
        for (const auto& delivered : narv::modelgen::DeliveredModels()) {
            const auto model = std::make_unique<narv::TModelDef>(delivered.make());
            const std::filesystem::path target = directory / delivered.fileName;
            narv::WriteModelFile(target, *model);
            std::cout << target.string() << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "narv-modelgen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
