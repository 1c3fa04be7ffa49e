// What every section's file must do with a list of two records: nothing written while the
// list is unmodified, a list loaded and saved again gives the same bytes, and a stream cut by
// its last byte loads as damaged with the records before the cut kept.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/section_file.h"
#include "storage/stream_container.h"
#include "storage/tests/scratch_dir.h"

namespace pomix::testing {

// load(file, list) -> bool, save(file, list, modified), write(list, stream). checkLoaded sees
// the whole list read back; checkCut the list read from the cut stream.
template <class List, class Load, class Save, class Write, class CheckLoaded, class CheckCut>
void CheckSectionFile(const std::string& fileName, const std::string& streamName,
                      const List& list, Load load, Save save, Write write,
                      CheckLoaded checkLoaded, CheckCut checkCut) {
    ScratchDir dir;
    const std::string path = dir.File(fileName);
    StreamContainer container;
    {
        SectionFile file(container, path, streamName);
        save(file, list, false);
        EXPECT_FALSE(std::filesystem::exists(path));
        save(file, list, true);
    }
    const std::string first = FileContents(path);
    SectionFile file(container, path, streamName);
    List loaded;
    ASSERT_TRUE(load(file, loaded));
    checkLoaded(loaded);
    save(file, loaded, true);
    EXPECT_EQ(FileContents(path), first);

    MemoryStream stream;
    write(list, stream);
    MemoryStream cut(stream.ToString().substr(0, stream.Size() - 1));
    container.AddStream(streamName, &cut);
    container.SaveToFile(path);
    container.ClearStreams();
    EXPECT_FALSE(load(file, loaded));
    checkCut(loaded);
}

}  // namespace pomix::testing
