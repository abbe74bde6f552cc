#pragma once
// LoadShowList: the file's shows into the list.

class ShowListFile;
class ShowListStore;

// Appends a row for every show section 1 ... CURCOUNT that is not deleted, with column 1
// = its section number, then sorts and renumbers unless `noSort`. Sections that CURCOUNT
// counts but the file lacks are skipped with a trace line; times that are not times are
// listed as they are, with a trace line. Takes fileLock for each read and listLock for
// each row, never fileLock around listLock.
void LoadShowList(const ShowListFile& file, ShowListStore& list, bool noSort);
