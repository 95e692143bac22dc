#!/bin/sh
# Chromium for the browser suites, ended by the kernel when its driver ends, however that ends
# (the driver is ended in turn with the suite): no browser outlives a suite that was killed.
exec setpriv --pdeathsig KILL chromium "$@"
