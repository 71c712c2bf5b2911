#include "run/SourceFolder.h"

#include "app/RunState.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(SourceFolder, OffersExactlyTheFilesPresent) {
    test::TempDir a, b;
    a.Write("CLIENTS.TXT", "ID_CLIENT\n");
    a.Write("ANIMAUX.TXT", "ID_ANIMAL\n");
    b.Write("ANIMAUX.TXT", "ID_ANIMAL\n");
    test::ScriptedOperator op;
    RunState state(op);
    ScanSourceFolder(state, a.path().string());
    const std::string withSeparator = state.PathSources;
    EXPECT_EQ(withSeparator, a.Folder());
    EXPECT_TRUE(state.options.cbCLIENTS.Ticked());
    EXPECT_TRUE(state.options.cbANIMAUX.Ticked());
    EXPECT_FALSE(state.options.cbCONSULTATIONS.enabled);
    ScanSourceFolder(state, a.Folder());
    EXPECT_EQ(state.PathSources, withSeparator);

    ScanSourceFolder(state, b.path().string());
    EXPECT_FALSE(state.options.cbCLIENTS.enabled);
    EXPECT_FALSE(state.options.cbCLIENTS.checked);
    EXPECT_TRUE(state.options.cbANIMAUX.Ticked());

    ScanSourceFolder(state, "");
    EXPECT_EQ(state.PathSources, "");
    EXPECT_FALSE(state.options.cbANIMAUX.enabled);
}
