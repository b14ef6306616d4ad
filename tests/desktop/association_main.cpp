// The association tests' entry; also the child that asks QMimeDatabase about files.
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], vellograph::test::PrintMimeTypesFlag) == 0) {
        return vellograph::test::PrintMimeTypes(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
