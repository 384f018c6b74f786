"""python3 -m qjxhtml: batch conversion (see qjxhtml.batch)."""

import sys

from .batch import main

if __name__ == "__main__":
    sys.exit(main())
