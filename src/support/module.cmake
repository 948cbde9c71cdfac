tarnwell_module(support DEPS tw_host tw_platform TEST_DEPS tw_engine)
