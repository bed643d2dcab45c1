%header
from joblog.tpl
