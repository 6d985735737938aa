// out_of_memory.cpp - the problem lines of a message that ran out of memory.
#include "archive/out_of_memory.h"

namespace tessaly {

namespace {

const char kNotEnoughMemory[] = "Error: <a href=\"help:err_memory.html\">not enough memory</a> to convert this message";

}  // namespace

void reportUnconverted(JobRun& run, bool asPage) {
    run.messageProblem(kNotEnoughMemory, asPage ? " - it is archived as it came, linked from its page as original message.eml"
                                                : " - it is archived as it came");
}

void reportNotArchived(JobRun& run) {
    run.messageProblem(kNotEnoughMemory, " - it was not archived; a later run will try it again");
}

}  // namespace tessaly
