#!/usr/bin/env bash
# The program's main job against a local catalogue server.
echo "demo: not available yet (it arrives with the addon library and the catalogue server)" >&2
exit 1
