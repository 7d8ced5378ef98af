// Fuzzes the readers of the containers' string form, which take text from files, INI values and
// the network: any text ends in a read, a "wrong class" answer or a stream error, never a crash or
// an allocation beyond the text's size. A text that was read writes back in a stable form, and
// the container it gives works. The first byte picks the class (low 3 bits) and whether the rest
// is the text itself or the record bytes, turned into text here to reach the value readers.
#include "data/Support_Stream.h"
#include "datastructures/Support_Data_Structures.h"

#include <cstdlib>
#include <string>

namespace {

using namespace vl;

template <class T, class Exercise>
void Check(std::string_view text, Exercise exercise) {
  T c;
  bool read = false;
  try {
    read = c.ReadFromString(text);
  } catch (const EStreamError&) {
  } catch (const EConvertError&) {
  }
  if (!read) return;
  const std::string once = c.WriteToString();
  T again;
  if (!again.ReadFromString(once) || again.WriteToString() != once) std::abort();
  exercise(c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 8) text = CStream(data + 1, size - 1).ConvertToString();
  DS_SetPrecision((data[0] & 16) ? 0.0 : 0.00000001);
  const RValue probe(1.0);
  switch (data[0] & 7) {
  case 0:
    Check<CDS_Stack>(text, [](CDS_Stack& c) {
      while (!c.Empty()) c.Pop();
    });
    break;
  case 1:
    Check<CDS_Queue>(text, [&](CDS_Queue& c) {
      c.Enqueue(probe);
      while (!c.Empty()) c.Dequeue();
      c.Enqueue(probe);
    });
    break;
  case 2:
    Check<CDS_List>(text, [&](CDS_List& c) {
      c.Sort(true);
      c.Sort(false);
      c.Find(probe);
      c.Insert(c.Size(), probe);
    });
    break;
  case 3:
    Check<CDS_Map>(text, [&](CDS_Map& c) {
      c.Add(probe, probe);
      c.FindNext(probe);
      c.FindPrevious(probe);
      c.Delete(c.FindFirst());
      c.Delete(c.FindLast());
    });
    break;
  case 4:
    Check<CDS_Priority>(text, [&](CDS_Priority& c) {
      c.FindMax();
      c.Change(probe, probe);
      while (!c.Empty()) c.DeleteMin();
    });
    break;
  default:
    Check<CDS_Grid>(text, [&](CDS_Grid& c) {
      c.Get_Sum(0, 0, c.Width(), c.Height());
      c.Get_Disk_Mean(1, 1, 2);
      c.Grid_Operation(2, c, 0, 0, 3, 3, 1, 1);
      c.Resize(c.Height(), c.Width());
    });
  }
  return 0;
}
