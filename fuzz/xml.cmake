tessel_fuzz_target(xml DEPS tessel_xml tessel_addons)
