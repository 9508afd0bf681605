// The walk the description readers make over a configuration text: every
// TABLE block, its KEY blocks with their parts, its FIELD blocks and its
// gallery lines, each read with the parser the descriptions use. The
// benchmarks set it beside their subjects as the base library's own cost.
#ifndef VQ_BENCH_CONF_WALK_H
#define VQ_BENCH_CONF_WALK_H

#include <vq_lib32.h>

namespace vqbench {

/// Reads every value of every table of the loaded text; the sum of what it
/// read keeps the compiler from dropping the work.
inline UINT WalkTableBlocks(CVQConfFile &conf) {
  UINT sum = 0, tables = 0, n = 0, value = 0, words[9], count = 0, length = 0, length2 = 0;
  char name[32], type[32], field[32], image[512];
  conf.GetBlockCount("TABLE", &tables);
  bool table = conf.SelectBlock("TABLE");
  for (UINT t = 0; t < tables && table; ++t, table = conf.SelectNextBlock()) {
    conf.GetText("TABLE", name, 32, &length);
    conf.GetWord("INDEXNODESIZE", &value);
    sum += length + value;
    conf.GetBlockCount("KEY", &n);
    bool more = conf.SelectBlock("KEY");
    for (UINT k = 0; k < n && more; ++k, more = conf.SelectNextBlock()) {
      conf.GetWords("KEY", words, 5, &count);
      const UINT parts = conf.GetKeyCount("KEYPART");
      conf.BeginSequence();
      for (UINT p = 0; p < parts; ++p)
        if (conf.Get2Text("KEYPART", type, 32, &length, field, 32, &length2) == 0)
          sum += length + length2;
      conf.EndSequence();
    }
    conf.LeaveBlock();
    conf.GetBlockCount("FIELD", &n);
    more = conf.SelectBlock("FIELD");
    for (UINT f = 0; f < n && more; ++f, more = conf.SelectNextBlock())
      if (conf.GetWordsText("FIELD", words, 8, &count, name, 32, &length) == 0)
        sum += words[0] + length;
    conf.LeaveBlock();
    conf.GetWord("GALLERYLAYOUT", &value);
    conf.GetWord("GALLERYDIAMODE", &value);
    conf.GetWords("GALLERYDIASIZE", words, 2, &count);
    const UINT images = conf.GetKeyCount("IMAGEFILENAME");
    conf.BeginSequence();
    for (UINT i = 0; i < images; ++i)
      if (conf.GetText("IMAGEFILENAME", image, 512, &length) == 0)
        sum += length;
    conf.EndSequence();
  }
  conf.LeaveBlock();
  return sum;
}

} // namespace vqbench

#endif
