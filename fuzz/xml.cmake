tessel_fuzz_target(xml DEPS tessel_xml)
