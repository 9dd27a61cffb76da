#pragma once
// The jobs' questions about the marks of a list: a row is marked for a job
// when its image is that job's marked image.

#include <string>

class ListModel;

namespace MarkedRows {

// How many rows carry image.
int Count(const ListModel& list, int image);
// Column 0 of the n-th row (from 1) carrying image into name; empty when
// there are fewer. An out-parameter, so that a job's loop over its files
// need not allocate.
void NthName(const ListModel& list, int image, int n, std::string& name);
// -1 when index is past the list, 1 when row index carries image, else 0.
int IsMarkedAt(const ListModel& list, int image, int index);

}  // namespace MarkedRows
