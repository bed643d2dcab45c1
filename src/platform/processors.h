#pragma once

// Whether more than one processor is online. The scan and the display share
// their work with a second thread only then: on a single-core device the
// second thread would only add its hand-over costs.
bool has_second_processor();
